#pragma once
// The MIDI file player page without its widgets: a single file chosen in a file dialog, auto
// play of every file of the MidiFile folder one after another, STOP, and the jingles. The page
// runs a handler and then shows `view`: its two timers, its caption, the progress bar and the
// Play button follow what the handler left there. Tests run the handlers and fire the timers by
// hand.
//
// Auto play: idle (timers off, PlayerBusy 0) -> file PlayerNext - 1 playing (timers on,
// PlayerBusy 1) -> at a poll that finds the player no longer playing, the next file -> after
// the last one, idle with PlayerNext 0. STOP and a change of the list's selection go back to
// idle with PlayerNext 0; a chosen file plays with the poll off, so nothing follows it.
//
// A file the media player cannot open or play is reported in the device-error box and the rest
// of the handler is skipped. What goes wrong while a file plays (a message the device refused,
// the device gone) is shown in the same box once per file, at the next handler or timer tick: in auto play
// the file has been counted and PlayerBusy stays 1, so a running poll moves on to the next file and a fresh
// start stops there.
//
// The output device: every file and jingle has it to itself. The engine's output is closed
// before each one plays (THRU keys, pans and program changes are silent meanwhile: the file sets
// programs, pans and controllers on every channel, and the engine's own reset and THRU program
// changes would change them under it), and handed back to the engine as soon as the player is
// idle again: at the file's end, STOP, leaving the page, the end of auto play, after a jingle,
// and after a file that could not be played. The media player's thread cannot open the engine's
// output itself, so every end takes one road: a window message to the player, which the
// user-interface thread handles after the handler it is in. At exit nothing is handed back.
// The device is the one the engine uses: the configured one, or the built-in synth in place of
// a configured device that is missing.
//
// User-interface thread only; the media player plays on its own thread. PlayJingle blocks until
// the jingle has ended, at most its own length and kJingleMargin; meanwhile it calls
// `whileJingleHolds` every kJingleHoldSlice or so, where the page lets the screen repaint.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "common/program_wide.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/midi_out.h"
#include "platform/window_queue.h"
#include "player/midi_file_player.h"
#include "player/player_clock.h"

namespace player {

inline constexpr const char* kPlayerCaption = "MIDI PLAYER";
inline constexpr int kProgressRange = 100000;  // the progress bar's maximum before any file
inline constexpr int kProgressIntervalMs = 1000;
inline constexpr int kAutoPlayPollMs = 5000;
// A jingle still playing this long after its own length is stopped: a hung device must not hold
// the program up.
inline constexpr std::chrono::milliseconds kJingleMargin{2000};
// How often a jingle's wait lets the screen repaint: well within a frame.
inline constexpr std::chrono::milliseconds kJingleHoldSlice{10};

// The MIDI files of `folder` as the list box shows them: regular files that are not hidden,
// whose names end in ".mid" in any case; names without path, sorted. Empty when the folder is
// missing or unreadable.
std::vector<std::string> ListMidiFiles(const std::filesystem::path& folder);

// What the page shows.
struct PlayerView {
    bool Timer1On = true;  // progress, every second; on at creation
    bool Timer2On = true;  // auto-play poll, every 5 s; on at creation
    std::string Caption = kPlayerCaption;
    std::uint64_t ProgressMax = kProgressRange;
    std::uint64_t ProgressPosition = 0;
    bool PlayEnabled = false;  // the media player's Play button
};

class PlayerOps final : private platform::WindowProc {
  public:
    // `outputs` and `clock` drive the media player; it plays on the device the engine's output
    // uses (MidiDevices::OutputDevice).
    PlayerOps(common::ProgramWide& state, common::EngineLink& engine, common::MidiDevices& devices,
              platform::DialogService& dialogs, platform::MidiOutRegistry& outputs,
              player::PlayerClock& clock);
    ~PlayerOps() override;
    PlayerOps(const PlayerOps&) = delete;
    PlayerOps& operator=(const PlayerOps&) = delete;

    // The list box's items: file names in the MidiFile folder.
    std::vector<std::string> Files;

    std::int32_t PlayerCount = 0;  // items in the list when auto play last started
    int PlayerNext = 0;            // the list index auto play starts next
    std::uint8_t PlayerBusy = 0;   // 1 while a file is being started or plays
    PlayerView view;

    // The auto-play step. False when the device-error box was shown.
    bool PlayNextMidiFile();
    void Timer1Timer();        // progress := position
    void Timer2Timer();        // the auto-play poll
    void BitBtn1Click();       // Auto Midi Play
    void BitBtn2Click();       // STOP Midi Play
    void BitBtn3Click();       // choose a file and play it
    void MediaPlayer1Click();  // the media player's Play button
    void MidiFileListBoxChange();
    // Jingle n (1 start-up, 2 exit, 3 About) from the program folder, to its end. The engine's
    // output is closed first in any case. A missing jingle plays nothing and says nothing; one
    // that is there but not a regular file is refused at once, in the device-error box.
    void PlayJingle(int n);
    // Called again and again while a jingle holds the program, with the jingle playing: the
    // page repaints the screen there and takes no input. Nothing by default.
    std::function<void()> whileJingleHolds;
    // Leaving the page: the media player closes (its notes end) and both timers stop;
    // PlayerNext and PlayerBusy stay.
    void StopPlayer();
    // The start-up's first-run help: PageCode "HH" while the help pages are missing (F1 then
    // opens the introduction); the introduction opened when there is no configuration file yet.
    void FirstRunHelp(platform::Launcher& launcher);

    player::MidiFilePlayer& media() { return media_; }
    const std::string& MediaFileName() const { return fileName_; }

  private:
    void windowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    // Asks for the engine's output back when nothing of the player's plays and it is closed.
    void handBackOutput();
    void playJingle(int n);
    bool playNextMidiFile();
    bool openMedia();
    bool play();
    void deviceError();
    void reportFailure();
    void engineMessages();
    void timers(bool on);
    void idle();

    common::ProgramWide& state_;
    common::EngineLink& engine_;
    common::MidiDevices& devices_;
    platform::DialogService& dialogs_;
    player::MidiFilePlayer media_;
    std::string fileName_;   // the media player's file name
    HWND window_ = nullptr;  // receives "the output is free"
};

}  // namespace player
