// Instrument names under the three sound sets, and the shape of the tables.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>

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

TEST(InstrumentNames, GeneralMidiTableHoldsTheProgramsOwnNamesInOrder) {
    // The first and last name of every row of eight: a name lost, doubled or moved shifts one of
    // them. Then the program's own spellings, which a table taken from elsewhere would "correct".
    struct Known {
        int program;
        const char* name;
    };
    const Known known[] = {
        {0, "Grand Piano"},     {7, "Clavinet"},         {8, "Celesta"},          {15, "Dulcimer"},
        {16, "Hammond Organ"},  {23, "Tango Accordion"}, {24, "Nylon Guitar"},    {31, "Guitar Harmonics"},
        {32, "Accoustic Bass"}, {39, "Synth Bass2"},     {40, "Violin"},          {47, "Timpani"},
        {48, "Strings"},        {55, "Orchestra Hit"},   {56, "Trumpet"},         {63, "Synth Brass 2"},
        {64, "Soprano Sax"},    {71, "Clarinet"},        {72, "Piccolo"},         {79, "Ocarina"},
        {80, "Square Wave"},    {87, "Bass & Lead"},     {88, "Fantasia"},        {95, "Sweep Pad"},
        {96, "Ice Rain"},       {103, "Star Theme"},     {104, "Sitar"},          {111, "Shanai"},
        {112, "Metal Bell"},    {119, "Reverse Cymbal"}, {120, "FretNoise"},      {127, "GunShot"},
        {3, "Honkey Tonk"},     {6, "Harpsicord"},       {10, "MusicBox"},        {35, "FretLess Bass"},
        {36, "Slaped Bass1"},   {37, "Slaped Bass2"},    {41, "Viola"},           {43, "ContraBass"},
        {61, "Brass Section"},  {33, "Fingered Bass"},   {67, "BariTone Sax"},    {70, "Basoon"},
        {82, "Calinope"},       {83, "Chiffer"},         {86, "5th Square Wave"}, {92, "Bowed Glas"},
        {115, "Wood block"},
    };
    ASSERT_EQ(std::size(GMInstrumentNames), 128u);
    for (const auto& [program, name] : known) {
        EXPECT_STREQ(GMInstrumentNames[program], name) << "program " << program;
        EXPECT_STREQ(GmInstrumentName(0, program), name) << "program " << program;
    }
    std::set<std::string> distinct;
    for (const char* n : GMInstrumentNames) {
        ASSERT_NE(n, nullptr);
        EXPECT_GT(std::strlen(n), 0u);
        EXPECT_TRUE(distinct.insert(n).second) << n << " twice";
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
