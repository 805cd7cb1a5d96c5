#include "midifile/InstrumentNames.h"

namespace midifile {

const char* const GMInstrumentNames[128] = {
    "Grand Piano",
    "Bright Piano",
    "Hammer Piano",
    "Honkey Tonk",
    "Rhodes Piano",
    "Chorused Piano",
    "Harpsicord",
    "Clavinet",
    "Celesta",
    "Glockenspiel",
    "MusicBox",
    "Vibraphone",
    "Marimba",
    "Xylophone",
    "Tubular Bells",
    "Dulcimer",
    "Hammond Organ",
    "Percussive Organ",
    "Rock Organ",
    "Church Organ",
    "Reed Organ",
    "Accordion",
    "Harmonica",
    "Tango Accordion",
    "Nylon Guitar",
    "Steel Guitar",
    "Jazz Guitar",
    "Clean Guitar",
    "Muted Guitar",
    "Overdriven Guitar",
    "Distortion Guitar",
    "Guitar Harmonics",
    "Accoustic Bass",
    "Fingered Bass",
    "Picked Bass",
    "FretLess Bass",
    "Slaped Bass1",
    "Slaped Bass2",
    "Synth Bass1",
    "Synth Bass2",
    "Violin",
    "Viola",
    "Cello",
    "ContraBass",
    "Tremolo Strings",
    "Pizzicato Strings",
    "Orchestral Harp",
    "Timpani",
    "Strings",
    "Slow Strings",
    "Synth Strings 1",
    "Synth Strings 2",
    "Choir Aahs",
    "Voice Oohs",
    "Synth Voice",
    "Orchestra Hit",
    "Trumpet",
    "Trombone",
    "Tuba",
    "Muted Trumpet",
    "French Horn",
    "Brass Section",
    "Synth Brass 1",
    "Synth Brass 2",
    "Soprano Sax",
    "Alto Sax",
    "Tenor Sax",
    "BariTone Sax",
    "Oboe",
    "English Horn",
    "Basoon",
    "Clarinet",
    "Piccolo",
    "Flute",
    "Recorder",
    "Pan Flute",
    "Blown Bottle",
    "Shakuhachi",
    "Whistle",
    "Ocarina",
    "Square Wave",
    "Saw Wave",
    "Calinope",
    "Chiffer",
    "Charang",
    "Solo Vox",
    "5th Square Wave",
    "Bass & Lead",
    "Fantasia",
    "Warm Pad",
    "Poly Pad",
    "Space Voice",
    "Bowed Glas",
    "Metal Pad",
    "Halo Pad",
    "Sweep Pad",
    "Ice Rain",
    "Sound Track",
    "Crystal",
    "Atmosphere",
    "Brightness",
    "Goblin",
    "Echo Drops",
    "Star Theme",
    "Sitar",
    "Banjo",
    "Shamisen",
    "Koto",
    "Kalimba",
    "Bag Pipe",
    "Fiddle",
    "Shanai",
    "Metal Bell",
    "Agogo",
    "Steel Drums",
    "Wood block",
    "Taiko",
    "Melodic Tom",
    "Synth Tom",
    "Reverse Cymbal",
    "FretNoise",
    "Breath Noise",
    "Seashore",
    "Birds",
    "Telephone",
    "Helicopter",
    "Applause",
    "GunShot",
};

const char* const GeneralMidiDrumsName = "General Midi Drums";

bool IsValidPatch(int channel, int bankMsb, int bankLsb, int program) {
    return channel >= 0 && channel <= 15 && bankMsb >= 0 && bankMsb <= 127 && bankLsb >= 0 &&
           bankLsb <= 127 && program >= 0 && program <= 127;
}

const char* FindPatchName(std::span<const PatchName> table, int bank, int program) {
    for (const PatchName& row : table)
        if (row.bank == bank && row.program == program) return row.name;
    return nullptr;
}

const char* GmInstrumentName(int channel, int program) {
    if (program < 0) program = 0;
    if (!IsValidPatch(channel, 0, 0, program)) return nullptr;
    if (channel == 9) return GeneralMidiDrumsName;
    return GMInstrumentNames[program];
}

const char* GsInstrumentName(int channel, int bankMsb, int bankLsb, int program) {
    if (bankMsb < 0) bankMsb = 0;
    if (bankLsb < 0) bankLsb = 0;
    if (program < 0) program = 0;
    if (!IsValidPatch(channel, bankMsb, bankLsb, program)) return nullptr;
    if (channel == 9) {
        for (const PatchName& row : GsKitNames)
            if (row.program == program) return row.name;
        return nullptr;
    }
    if (bankLsb != 0) return nullptr;
    return FindPatchName(GsVariationNames, bankMsb, program);  // bank 0 has no rows: GM decides
}

const char* XgInstrumentName(int channel, int bankMsb, int bankLsb, int program) {
    if (bankMsb < 0) bankMsb = channel == 9 ? 127 : 0;
    if (bankLsb < 0) bankLsb = 0;
    if (program < 0) program = 0;
    if (!IsValidPatch(channel, bankMsb, bankLsb, program)) return nullptr;
    if (channel != 9)
        if (const char* voice = FindPatchName(XgVoiceNames, bankLsb, program)) return voice;
    // Drum kits (MSB 127/126) and SFX voices (MSB 64) are named on any channel.
    return FindPatchName(XgKitNames, bankMsb, program);
}

const char* InstrumentName(int channel, int bankMsb, int bankLsb, int program, int soundSet) {
    const char* name = nullptr;
    if (soundSet == SoundSetGs)
        name = GsInstrumentName(channel, bankMsb, bankLsb, program);
    else if (soundSet == SoundSetXg)
        name = XgInstrumentName(channel, bankMsb, bankLsb, program);
    return name != nullptr ? name : GmInstrumentName(channel, program);
}

}  // namespace midifile
