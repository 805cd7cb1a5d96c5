#pragma once
// The program-wide state of the MIDI import: what the split, the bar dump, the dump loader and the
// parser share with the import pages. One instance lives for the whole run; user-interface thread
// only. The per-track tables of a split live only while that split runs (import/split.cpp).

#include <array>
#include <cstdint>
#include <string>

namespace midiimport {

// The temporary files, in the program folder.
inline constexpr const char* kSplitFileName = "$$$$";  // the split's MIDI file
inline constexpr const char* kDumpFileName = "$$$";    // the bar dump's text

inline constexpr int kDrumChannel = 9;  // MIDI channel 10
inline constexpr int kPartDrums = 10;   // ImportPart of a drum import

struct MidiDrumState {
    std::uint8_t FileError = 0;       // 1 after a file error of the split
    std::uint8_t ImportAborted = 0;   // 1 after any abort; the loader then does nothing
    std::uint8_t InstrumentMode = 1;  // 0 drum import, 1 instrument import (also after a file error)
    std::uint8_t ImportRunning = 0;
    std::array<std::uint8_t, 4> PartConverted{};  // piano, strings, brass, bass
    std::int32_t ModeSign = 1;                    // +1 MANUAL, -1 AUTO
    std::int32_t WantedChannel = kDrumChannel;    // the channel a drum import dumps
    // Channels whose notes go to one track per key; constant.
    std::array<std::int32_t, 16> KeyMergeChannels{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    std::string InputPath;  // the chosen MIDI file
    std::string SplitPath = kSplitFileName;
    std::int32_t TargetChannel = kDrumChannel;  // every channel message of a per-key track goes here
    // The copy filters of the split's second pass (-1: everything passes); they keep the values of
    // the last run.
    std::int32_t KeyFilter = -1;
    std::int32_t ProgramFilter = -1;
    std::int32_t ChannelFilter = -1;
    std::int32_t trackcount = 0;  // tracks of the last input
    std::int32_t trackno = -1;    // track being merged
    std::int64_t BytesDone = 0;   // merge progress in bytes
    std::int64_t TotalTrackBytes = 0;
    std::int64_t FirstDeltaBytes = 0;
    std::int32_t LastPercent = -1;  // last progress figure written
};

struct DumpState {
    std::array<std::int32_t, 16> DumpChannels{};  // 1: the bar dump writes this channel's notes
    std::string WorkText;                         // the loaded dump without its division, ended by a byte 255
    std::int32_t TextLength = 0;
    std::int32_t DumpDivision = 0;   // ticks per quarter note, read back from the dump
    std::int32_t HighestBar = 0;     // highest bar number in the dump (0..999)
    std::uint8_t DumpLoaded = 0;     // 1 once some dump text was loaded
    std::int32_t UnreadRecords = 0;  // records of the loaded text that cannot be read
    std::int32_t ImportTempo = 120;  // beats per minute from the split file's first tempo event
    std::int32_t FirstBar = 1;       // first of the eight bars a parse takes
    std::uint8_t ImportPart = 0;     // 1 piano, 2 strings, 3 brass, 4 bass, 10 drums, 0 none
};

struct ImportState {
    MidiDrumState split;
    DumpState dump;
    // 1 MANUAL: imported parts keep their key; 0 AUTO: a trial moves them into C.
    std::int32_t ManualImport = 1;
};

}  // namespace midiimport
