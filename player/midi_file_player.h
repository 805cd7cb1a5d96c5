#pragma once
// Plays a Standard MIDI File (format 0 or 1) through one output device of the platform's
// registry (-1 = the built-in synth), on a thread of its own: the stand-in for the media player
// that the player page and the jingles use. Open a file by name, play, stop, close, and ask for
// the mode (playing or not), the length and the position in milliseconds.
//
// Threads. Open, Play, Stop, Close, IsOpen, WaitUntilStopped and the destructor belong to one
// thread, the owner's (the user-interface thread). IsPlaying, LengthMs, PositionMs and LastError
// may be called from any thread. The player thread only sends: it exists from Play until the
// file has played to its end or Stop, Close or Open end it, and is joined by the owner's next
// call. No call blocks for longer than the ending of the notes, except WaitUntilStopped.
//
// A typical page: Open(name, device) (a false result is the device-error box, LastError() its
// text); Play(); poll IsPlaying() and PositionMs() from a timer, or WaitUntilStopped(length plus a
// margin) for a jingle; Stop() on STOP; Close() when leaving the page.
//
// The device is opened by Play and closed when the playing ends, so that the engine can have it
// back; closing hands everything sent to the device first. Every key the player started and has
// not ended is ended once (note-off, and the sustain pedal released on the channels where the
// file holds it down) whenever playing ends: at the end of the file, on Stop, Close, or the Open
// of another file, and when the device fails.
//
// A message the device refuses (too long for the port, a full queue) is skipped and playing
// goes on; a device that goes away ends the playing. Either is kept as the file's failure,
// which TakeFailure() hands over once, so that the page reports it once per file.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/midi_out.h"
#include "platform/mmresult.h"
#include "player/player_clock.h"
#include "player/song.h"

namespace player {

class MidiFilePlayer {
  public:
    MidiFilePlayer(platform::MidiOutRegistry& outputs, PlayerClock& clock);
    ~MidiFilePlayer();  // Close()
    MidiFilePlayer(const MidiFilePlayer&) = delete;
    MidiFilePlayer& operator=(const MidiFilePlayer&) = delete;

    // Closes whatever file was open (ending its notes), reads `path` and sets the position to 0.
    // False when the file cannot be read: LastError() then says why, in the words of a device
    // error box, and no file is open.
    bool Open(const std::string& path, int device);
    // Plays from the position (from the start when the file has played to its end). Returns
    // MMSYSERR_NOERROR when playing has begun (or already runs); the device's error when it
    // cannot be opened; MMSYSERR_ERROR when no file is open. LastError() says which.
    platform::MMRESULT Play();
    // Ends playing; the position stays where it was. Returns once every note is ended and the
    // device is closed. Nothing when not playing.
    void Stop();
    // Stop, and forget the file.
    void Close();
    // Waits, in real time, at most `timeout` for the playing to end. True when it has ended.
    bool WaitUntilStopped(std::chrono::milliseconds timeout);

    bool IsOpen() const { return open_; }
    bool IsPlaying() const { return playing_.load(); }
    // Milliseconds, rounded to the nearest; 0 with no file open.
    uint64_t LengthMs() const;
    uint64_t PositionMs() const;
    std::string LastError() const;
    // The first thing that went wrong while the open file played (in the words of a device
    // error box), once: empty afterwards, and until something else goes wrong with this file.
    // Any thread.
    std::string TakeFailure();

    // Called on the player thread each time a Play ends (the file's end, Stop, Close, the Open
    // of another file, a device that failed), once the device is closed: the owner learns that
    // the device is free again. It runs under the player's lock, once the playing is marked
    // ended, so a WaitUntilStopped that returns finds the owner already told. Set before the
    // first Play; it must not call the player and must not block.
    std::function<void()> onStopped;

  private:
    void JoinThread();
    void Run(size_t first, uint64_t basePositionUs, platform::SteadyTime start);
    void Send(const SongEvent& e);
    void EndSoundingNotes();
    void Finish(uint64_t positionUs);
    void SetError(std::string text);
    void Fail(platform::MMRESULT result, const char* what);

    platform::MidiOutRegistry& outputs_;
    PlayerClock& clock_;
    Song song_;
    bool open_ = false;
    int device_ = platform::MIDI_MAPPER;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> playing_{false};

    // Shared between the owner and the player thread.
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    uint64_t lengthUs_ = 0;
    uint64_t positionUs_ = 0;      // when not playing
    uint64_t basePositionUs_ = 0;  // while playing: the position at startTime_
    platform::SteadyTime startTime_{};
    size_t next_ = 0;  // the next event to send
    std::string error_;
    std::string path_;
    std::string failure_;  // not yet taken
    bool failed_ = false;  // this file has failed once already

    // The player thread's own while it runs.
    platform::HMIDIOUT out_ = nullptr;
    uint8_t sounding_[16][128] = {};  // note-ons not yet ended, per channel and key
    bool sustained_[16] = {};
    bool deviceFailed_ = false;
};

}  // namespace player
