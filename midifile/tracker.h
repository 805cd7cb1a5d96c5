#pragma once
// The track survey: reads a whole MIDI file in its constructor and keeps, per track, the track's
// channel, its name and, per channel, the first program, bank select, volume, pan, chorus and
// reverb values, plus the file's tempo, time signature and sound set (from the reset messages).
// It then writes one description line per track (channel, name, instrument name) into the import's
// instrument chooser, from which the user picks the tracks that become accompaniment parts.
//
// User-interface thread only: errors are shown through the dialog service.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midifile/MidiRead.h"
#include "platform/dialogs.h"

namespace midifile {

class Trackinfo {
  public:
    Trackinfo();

    // A negative length means the text's own (terminated) length. No text, length <= 0 or an
    // empty text leave no name.
    void SetName(const char* text, int64_t length);
    // The name, or "" when none.
    const char* Name() const { return name_.c_str(); }
    bool HasName() const { return !name_.empty(); }

    int channel = MidiRead::NOCHANNEL;  // 0..15, MULTICHANNEL or NOCHANNEL
    std::array<int, 16> program, volume, pan, chorus, reverb, bankMsb, bankLsb;  // -1: none seen
    std::array<int, 16> used;  // 1 when the channel is the track's or has a counted event in it
    int64_t start = 0;         // file offset of the track's "MTrk" tag
    int64_t length = 0;        // track chunk length

  private:
    std::string name_;
};

class MidiTrackinfo : public MidiRead {
  public:
    struct Hooks {
        // Adds one line to the instrument chooser's list (the chooser copies it to its others).
        std::function<void(const std::string&)> addBrassListItem;
        // The import's reset, run when a multichannel track refuses to be described.
        std::function<void()> abortImport;
    };
    static constexpr size_t LineCapacity = 100;  // characters, the terminator included

    // Reads the whole file (window mode). A file that does not open leaves the survey empty.
    MidiTrackinfo(const char* path, platform::DialogService& dialogs, Hooks hooks);
    ~MidiTrackinfo() override;

    // The record of track n (1-based), or nullptr.
    Trackinfo* TrackAt(int n);
    const Trackinfo* TrackAt(int n) const;

    // Each returns false when the user operation has been abandoned (a multichannel track was
    // refused, the dialog shown and the import reset): the caller returns without further output.
    virtual bool DescribeTrack(int track, bool longForm);
    virtual bool DescribeAll(bool longForm);
    virtual bool DescribeChannel(int track, int channel, bool longForm);

    // "NOCHANNEL", or "1".."16" for channels 0..15. Not for MULTICHANNEL.
    static std::string ChannelLabel(int channel);
    void ClearDescriptionLine() { line_.clear(); }
    const std::string& DescriptionLine() const { return line_; }

    uint32_t tempo = 0;  // microseconds per quarter: the last tempo event, 500000 when none
    int numerator = 0;   // the last time signature, 4/4 when none
    int denominator = 0;
    int SoundSetMode = 0;  // 0 GM, 1 GS, 2 XG: the last reset before the survey froze
    int SurveyFrozen = 0;  // 1 after the first note-on of a track that is not MULTICHANNEL

  protected:
    void OnError(const char* text) override;
    void OnHeader(int format, int trackCount, int division) override;
    void OnTrackStart(int track, int64_t length, int trackChannel) override;
    void OnText(int type, int64_t length, const char* kind, const char* text) override;
    void OnTimeSignature(int numerator, int denominator, int clocksPerClick, int thirtySeconds) override;
    void OnTempo(uint32_t microsecondsPerQuarter) override;
    void OnProgramChange(int channel, int program) override;
    void OnControlChange(int channel, int controller, int value) override;
    void OnBankSelectMsb(int channel, int value) override;
    void OnVolume(int channel, int value) override;
    void OnPan(int channel, int value) override;
    void OnBankSelectLsb(int channel, int value) override;
    void OnReverb(int channel, int value) override;
    void OnChorus(int channel, int value) override;
    void OnNoteOn(int channel, int key, int velocity) override;
    void OnNoteOff(int channel, int key, int velocity) override;
    void OnXgSystemOn() override;
    void OnGmSystemOn() override;
    void OnGsReset() override;
    void OnTrackEnd(int) override {}
    void OnEndOfTrack() override {}
    void OnKeySignature(int, int) override {}
    void OnEndOfFile() override {}

  private:
    Trackinfo* Current();
    // Stores a first value (unless frozen) and marks the channel used.
    void FirstValue(std::array<int, 16> Trackinfo::*field, int channel, int value);
    // Appends one formatted piece; the line never grows past LineCapacity - 1 characters.
    void Append(const std::string& piece);
    void AddLine();

    platform::DialogService& dialogs_;
    Hooks hooks_;
    std::vector<std::unique_ptr<Trackinfo>> tracks_;
    std::string line_;
};

}  // namespace midifile
