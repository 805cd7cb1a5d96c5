#pragma once
// Display names for a sound choice (channel, bank select MSB, bank select LSB, program) under one
// of three sound sets: General MIDI, GS or XG. The names are this program's own short forms.
// Tables are constant; every lookup checks its bounds. Any thread.

#include <cstddef>
#include <cstdint>
#include <span>

namespace midifile {

// 0 General MIDI, 1 GS, 2 XG.
enum SoundSet : int { SoundSetGm = 0, SoundSetGs = 1, SoundSetXg = 2 };

// Index = program 0..127.
extern const char* const GMInstrumentNames[128];
// The name of channel 10 (index 9) under General MIDI.
extern const char* const GeneralMidiDrumsName;

struct PatchName {
    uint8_t program;
    uint8_t bank;
    const char* name;  // nullptr: a row that names nothing
};

extern const std::span<const PatchName> GsVariationNames;  // bank = bank select MSB
extern const std::span<const PatchName> GsKitNames;        // bank 127 in every row, not compared
extern const std::span<const PatchName> XgVoiceNames;      // bank = bank select LSB
extern const std::span<const PatchName> XgKitNames;        // bank = bank select MSB

// Channel 0..15 and bank MSB, bank LSB, program 0..127.
bool IsValidPatch(int channel, int bankMsb, int bankLsb, int program);
// The first row whose bank and program both match, or nullptr.
const char* FindPatchName(std::span<const PatchName> table, int bank, int program);

// A negative bank or program means that no value was seen. nullptr when there is no name.
const char* GmInstrumentName(int channel, int program);
const char* GsInstrumentName(int channel, int bankMsb, int bankLsb, int program);
const char* XgInstrumentName(int channel, int bankMsb, int bankLsb, int program);
// GS or XG first (by soundSet), then General MIDI.
const char* InstrumentName(int channel, int bankMsb, int bankLsb, int program, int soundSet);

}  // namespace midifile
