// Instrument names under the three sound sets, and the shape of the tables.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "midifile/InstrumentNames.h"

namespace midifile {
namespace {

std::string Name(const char* n) { return n != nullptr ? n : "<none>"; }

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
    for (const auto& [rows, named] : {Table{GsVariationNames, 448}, Table{XgVoiceNames, 357}, Table{XgKitNames, 60}}) {
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
