// Instrument names under the three sound sets, and the shape of the tables.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "midifile/InstrumentNames.h"

namespace midifile {
namespace {

std::string Name(const char* n) {
    return n != nullptr ? n : "<none>";
}

TEST(InstrumentNames, LookupsUnderEachSoundSet) {
    struct Case {
        int channel, msb, lsb, program, set;
        const char* want;
    };
    const Case cases[] = {
        {0, -1, -1, 40, SoundSetGm, "Violin"},
        {0, -1, -1, 41, SoundSetGm, "Viola"},
        {0, -1, -1, 127, SoundSetGm, "GunShot"},
        {0, -1, -1, -1, SoundSetGm, "Grand Piano"},
        {9, -1, -1, 0, SoundSetGm, "General Midi Drums"},
        {9, -1, -1, 0, SoundSetGs, "Standard"},
        {9, -1, -1, 1, SoundSetGs, "General Midi Drums"},
        {9, -1, -1, 127, SoundSetGs, "General Midi"},
        {0, 8, 0, 0, SoundSetGs, "GrndPnoK"},
        {0, 8, 1, 0, SoundSetGs, "Grand Piano"},
        {0, 16, 0, 0, SoundSetGs, "MelloGrP"},
        {0, 126, 0, 0, SoundSetGs, "A-Piano1"},
        {0, 127, 0, 0, SoundSetGs, "A.piano1"},
        {0, 8, 0, 48, SoundSetGs, "Orchestr"},
        {0, 1, 0, 127, SoundSetGs, "MchinGun"},
        {0, 127, 0, 127, SoundSetGs, "Eftjngl"},
        {0, -1, -1, -1, SoundSetGs, "Grand Piano"},
        {0, 0, 40, 0, SoundSetXg, "PianoStr"},
        {0, 0, 1, 0, SoundSetXg, "GrndPnoK"},
        {0, 0, 18, 0, SoundSetXg, "MelloGrP"},
        {0, 0, 34, 5, SoundSetXg, "DXLegend"},
        {0, 0, 96, 24, SoundSetXg, "Ukelele"},
        {0, 64, 0, 0, SoundSetXg, "CuttngNz"},
        {3, 64, 0, 115, SoundSetXg, "FireWork"},
        {9, -1, -1, 1, SoundSetXg, "Standrd2"},
        {5, 127, 0, 48, SoundSetXg, "Classic"},
        {0, 0, 0, 0, SoundSetXg, "Grand Piano"},  // the empty rows name nothing: GM decides
        {0, 0, 5, 0, 7, "Grand Piano"},           // an unknown set asks only GM
    };
    for (const auto& c : cases)
        EXPECT_EQ(Name(InstrumentName(c.channel, c.msb, c.lsb, c.program, c.set)), c.want)
            << c.channel << " " << c.msb << " " << c.lsb << " " << c.program << " set " << c.set;
}

TEST(InstrumentNames, GeneralMidiTableHasEveryNameAsTheProgramWritesIt) {
    const char* const want[128] = {
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
    for (int program = 0; program < 128; ++program) {
        ASSERT_NE(GMInstrumentNames[program], nullptr) << program;
        EXPECT_STREQ(GMInstrumentNames[program], want[program]) << "program " << program;
        EXPECT_STREQ(GmInstrumentName(0, program), want[program]) << "program " << program;
    }
    EXPECT_STREQ(GeneralMidiDrumsName, "General Midi Drums");
}

TEST(InstrumentNames, OutOfRangeGivesNoNameUnderEverySet) {
    for (int set : {SoundSetGm, SoundSetGs, SoundSetXg}) {
        EXPECT_EQ(InstrumentName(16, 0, 0, 0, set), nullptr);
        EXPECT_EQ(InstrumentName(0, 0, 0, 128, set), nullptr);
        EXPECT_EQ(InstrumentName(-3, 0, 0, 0, set), nullptr);
        EXPECT_EQ(InstrumentName(0, 0, 0, 1000000, set), nullptr);
    }
    EXPECT_EQ(GsInstrumentName(0, 128, 0, 0), nullptr);
    EXPECT_EQ(XgInstrumentName(0, 0, 128, 0), nullptr);
}

TEST(InstrumentNames, TablesHaveTheirRowsAndShortUniqueNames) {
    EXPECT_EQ(GsVariationNames.size(), 448u);
    EXPECT_EQ(GsKitNames.size(), 10u);
    EXPECT_EQ(XgVoiceNames.size(), 455u);
    EXPECT_EQ(XgKitNames.size(), 61u);
    for (const char* n : GMInstrumentNames) ASSERT_NE(n, nullptr);
    struct Table {
        std::span<const PatchName> rows;
        size_t named;
    };
    for (const auto& [rows, named] :
         {Table{GsVariationNames, 448}, Table{XgVoiceNames, 357}, Table{XgKitNames, 60}}) {
        std::set<std::pair<int, int>> keys;
        size_t count = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].name == nullptr) continue;
            EXPECT_EQ(i, count) << "named rows come first";
            ++count;
            EXPECT_LE(std::strlen(rows[i].name), 9u) << rows[i].name;
            EXPECT_TRUE(keys.insert({rows[i].program, rows[i].bank}).second) << rows[i].name;
        }
        EXPECT_EQ(count, named);
    }
}

}  // namespace
}  // namespace midifile
