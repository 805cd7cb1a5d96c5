#pragma once
// The import's second stage: reads "$$$$" and writes the text dump "$$$": the notes of the marked
// channels, bar by bar, each with its beat, position within the beat, key, velocity and length, in
// the fixed columns that the dump parser reads back. No line breaks:
//
//   <division> then per track its bars: "M%03d\tB <length>" and one record per note,
//   "M%03d\t" + ("q%d.%03d " | "j") + (" u%d V%03d" | " Z%d V%03d") + ("  w%d.%03d" | "j")
//
// e.g. at division 120 a quarter note of key 36, velocity 100, on beat 2 of bar 5 of a drum import
// is "M005\tq2.000  u36 V100  w1.000". User-interface thread only (message boxes).

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "import/import_context.h"
#include "midifile/MidiRead.h"

namespace midiimport {

// Bars beyond this number would not fit the dump's three bar digits; they are not written.
inline constexpr int kLastDumpedBar = 999;
inline constexpr int kNoteSlots = 256;

struct TactChange {
    int64_t tick;
    int32_t nom;
    int32_t denom;  // a note value: 4 = quarter
    int32_t units;  // ticks per bar
};

// Ticks per bar of nom/denom at q ticks per quarter note; 0 when any of them is not positive.
int64_t UnitsPerBar(int nom, int denom, int unitsperquarter);
// A bar length as the dump shows it: "4/4" for a whole note, "3/4", "1/2", "2", "1 1/4", "50 units".
std::string FormatBarLength(int64_t ticks, int unitsperquarter);

struct DumpRun;  // the bar state of one dump (bar_dump.cpp)

// Collects the time-signature changes and writes the division.
class MidiScanTactList : public midifile::MidiRead {
  public:
    MidiScanTactList(const char* path, DumpRun& run);
    void OnError(const char* text) override;
    void OnHeader(int format, int trackCount, int division) override;
    void OnDeltaTime(uint32_t ticks) override;
    void OnTimeSignature(int numerator, int denominator, int clocksPerClick, int thirtySeconds) override;

  private:
    DumpRun& run_;
};

// Collects the notes of each bar in 256 slots and writes a bar whenever the reading passes its end.
class MidiDump : public midifile::MidiRead {
  public:
    struct NoteSlot {
        int64_t start = -1;
        int64_t end = -1;  // -1 while sounding
        int32_t key = -1;  // -1: a free slot
        int32_t velocity = -1;
    };

    MidiDump(const char* path, DumpRun& run);
    void OnError(const char* text) override;
    void OnTrackStart(int track, int64_t length, int trackChannel) override;
    void OnTrackEnd(int track) override;
    void OnDeltaTime(uint32_t ticks) override;
    void OnNoteOn(int channel, int key, int velocity) override;
    void OnNoteOff(int channel, int key, int velocity) override;

  private:
    bool Wanted(int channel) const;
    void WriteBar();
    void WriteDueBars();
    void SortBarNotes();
    void WriteNote(const NoteSlot& n);

    DumpRun& run_;
    std::array<NoteSlot, kNoteSlots> slots_{};
    int count_ = 0;
    bool dumped_ = false;  // the current track is dumped
    std::string text_;     // one record at a time
};

// Writes the dump of ImportState.split.SplitPath into `dumpFile` (open for writing). A missing
// "$$$$" or a reading error ends the import: one box, ImportAborted, the pages' reset. When no
// channel is marked, every channel is dumped.
// True when the whole dump was written.
bool RunDump(ImportContext& ctx, std::FILE* dumpFile);

// Creates "$$$" in the current folder, runs the dump into it and ends it with the byte 255. False,
// after one box and the pages' reset, when the dump failed or "$$$" could not be written.
bool WriteImportDump(ImportContext& ctx);

}  // namespace midiimport
