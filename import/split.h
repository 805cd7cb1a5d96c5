#pragma once
// The import's first stage: reads the chosen Standard MIDI File (format 0 or 1) twice and writes
// the temporary format-1 file "$$$$" in which every drum key of the drum channel has a track of its
// own, merged in time order from all input tracks, and every other channel has one track per
// program it plays with. Tracks without channel messages are copied whole (a format-0 file gives a
// conductor track instead). The later stages read "$$$$" instead of the input.
//
// Any error of either pass stops the split with one message box; "$$$$" is then removed. User-
// interface thread only (message boxes).

#include <array>
#include <cstdint>

#include "import/import_context.h"
#include "midifile/MidiCopy.h"
#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"

namespace midiimport {

struct SplitRun;  // the tables of one split (split.cpp)

// Pass 1: format check, track table, the drum keys and the programs in use.
class MidiScanUsedPrograms : public midifile::MidiRead {
  public:
    MidiScanUsedPrograms(const char* path, SplitRun& run);

    void OnError(const char* text) override;
    void OnHeader(int format, int trackCount, int division) override;
    void OnTrackStart(int track, int64_t length, int trackChannel) override;
    void OnTrackEnd(int track) override;
    void OnDeltaTime(uint32_t ticks) override;
    void OnProgramChange(int channel, int program) override;
    void OnNoteOn(int channel, int key, int velocity) override;
    void OnNoteOff(int channel, int key, int velocity) override;

    bool Failed() const { return Stopped(); }
    bool firstPass = true;  // the track table and byte total are filled by the first reading only

  private:
    void NoteSeen(int channel, int key, int velocity);
    SplitRun& run_;
    std::array<int, 16> programs_{};  // program in force per channel, -1 none
};

// Pass 2: copies the events that pass the channel, key and program filters into "$$$$"; what
// carries no channel is copied as the library's copying reader does. Reads through pass 1's open
// file; each track has its own reader.
class MidiCopySelectedEvents : public midifile::MidiCopy {
  public:
    MidiCopySelectedEvents(const char* path, std::FILE* file, SplitRun& run);

    bool Failed() const { return Stopped(); }

    void OnError(const char* text) override;
    void OnTrackStart(int track, int64_t length, int trackChannel) override;
    void OnTrackEnd(int) override {}
    void OnDeltaTime(uint32_t ticks) override;
    void OnEndOfTrack() override;
    void OnChannelPrefix(int channel) override;
    void OnProgramChange(int channel, int program) override;
    void OnControlChange(int channel, int controller, int value) override;
    void OnNoteOn(int channel, int key, int velocity) override;
    void OnNoteOff(int channel, int key, int velocity) override;
    void OnPitchBend(int channel, int value) override;
    void OnPolyPressure(int channel, int key, int pressure) override;
    void OnChannelPressure(int channel, int pressure) override;

  protected:
    midifile::MidiWrite& Out() override;
    bool KeepsResets() override;

  private:
    bool ChannelPasses(int channel) const;
    int Remap(int channel) const;
    bool ProgramPasses(int channel) const;
    SplitRun& run_;
    std::array<int, 16> programs_{};
};

// Splits ImportState.split.InputPath into SplitPath ("$$$$", relative to the current folder,
// which the caller makes the program folder). "$$$$" and "$$$" are removed first. Returns 0 when
// done or stopped by an error (FileError, with InstrumentMode 1), 1 when "$$$$" could not be
// written ("OUT OF MEMORY", ImportAborted, the pages' reset). "NO DRUMS FOUND" is shown when the
// drum channel plays nothing; the split goes on.
int SplitMidiFile(ImportContext& ctx);

}  // namespace midiimport
