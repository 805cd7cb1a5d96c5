// The played-note display fed by the keyboard decoder: what a key message shows, what the drum
// channels and the messages that are no keys leave alone, the clearing on a device change, the
// logo's colours and a click on a note key.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "accompaniment/part_data.h"
#include "live/live_accompaniment.h"
#include "live/note_display.h"

namespace {

// The keyboard decoder's host, showing its keys on a note display as the accompaniment page does.
class DisplayHost final : public live::LiveHost {
  public:
    live::NoteDisplay display;
    int ShortMidiMsg(int, int, int) override { return 0; }
    void StartPlaying() override {}
    void StopPlaying() override {}
    void Panic() override {}
    void ShowBeat(bool) override {}
    void ErrorBox(const char*) override {}
    void ArmPartTimer(int, std::int32_t) override {}
    void DisarmPartTimer(int) override {}
    void ShowPlayedNote(int key, int pitchClass, int velocity, int channel) override {
        display.ShowKey(key, pitchClass, velocity, channel);
    }
    void ShowCurrentInstrument(int) override {}
};

struct Rig {
    live::LiveState state;
    std::uint8_t drumChannel = 9;
    std::uint8_t waltz = 0;
    DisplayHost host;
    live::LiveAccompaniment live{state, host, drumChannel, waltz};
    live::NoteDisplay& display = host.display;

    Rig() { accompaniment::ResetOrchestraData(state.parts); }  // THRU channel 3, split point 54
    void send(std::uint32_t status, std::uint32_t d1, std::uint32_t d2) {
        live.input.HandleMidiInput(status | (d1 << 8) | (d2 << 16));
    }
    // The twelve note keys from C to B: 'Y' lit, '.' not.
    std::string lit() const {
        std::string out;
        for (unsigned pc = 0; pc < 12; ++pc) {
            const live::ColourWord c = display.noteColour(pc);
            out += c == live::kNotePressed ? 'Y' : c == live::kNoteReleased ? '.' : '?';
        }
        return out;
    }
};

struct Message {
    std::uint32_t status, d1, d2;
};

TEST(NoteDisplay, KeyMessagesShowClassChannelVelocityAndNumber) {
    struct Case {
        const char* what;
        std::vector<Message> messages;
        const char* lit;
        const char* channel;
        const char* velocity;
        const char* key;
    };
    const Case cases[] = {
        {"nothing played yet", {}, "............", "", "0%", ""},
        {"C# pressed", {{0x90, 61, 100}}, ".Y..........", "1", "78%", "61"},
        {"released by a note-on at 0", {{0x90, 61, 100}, {0x90, 61, 0}}, "............", "1", "0%", "61"},
        {"released by a note-off at 64", {{0x90, 61, 100}, {0x80, 61, 64}}, "............", "1", "0%", "61"},
        {"half strength is a press", {{0x92, 50, 64}}, "..Y.........", "3", "50%", "50"},
        {"softest key, last channel", {{0x9F, 127, 1}}, ".......Y....", "16", "0%", "127"},
        {"hardest key, lowest key", {{0x94, 0, 127}}, "Y...........", "5", "100%", "0"},
        {"a THRU key above the split", {{0x93, 72, 90}}, "Y...........", "4", "70%", "72"},
        {"two classes held, one released",
         {{0x90, 48, 100}, {0x91, 64, 80}, {0x90, 48, 0}},
         "....Y.......",
         "1",
         "0%",
         "48"},
        {"an octave apart: one class",
         {{0x90, 36, 100}, {0x90, 48, 100}, {0x90, 36, 0}},
         "............",
         "1",
         "0%",
         "36"},
        // Drum channels and the messages that are no keys leave the display as it was.
        {"drum channel 10", {{0x90, 61, 100}, {0x99, 38, 127}}, ".Y..........", "1", "78%", "61"},
        {"channel 11 counts as a drum channel",
         {{0x90, 61, 100}, {0x9A, 40, 0}, {0x8A, 61, 0}},
         ".Y..........",
         "1",
         "78%",
         "61"},
        {"key pressure", {{0x90, 61, 100}, {0xA0, 61, 0}}, ".Y..........", "1", "78%", "61"},
        {"controller", {{0x90, 61, 100}, {0xB2, 64, 0}}, ".Y..........", "1", "78%", "61"},
        {"program change", {{0x90, 61, 100}, {0xC5, 2, 0}}, ".Y..........", "1", "78%", "61"},
        {"pitch bend", {{0x90, 61, 100}, {0xE0, 0, 64}}, ".Y..........", "1", "78%", "61"},
        {"not a message", {{0x90, 61, 100}, {0x40, 62, 0}}, ".Y..........", "1", "78%", "61"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        for (const Message& m : c.messages) rig.send(m.status, m.d1, m.d2);
        EXPECT_EQ(rig.lit(), c.lit);
        EXPECT_EQ(rig.display.channelText(), c.channel);
        EXPECT_EQ(rig.display.velocityText(), c.velocity);
        EXPECT_EQ(rig.display.keyText(), c.key);
    }
}

TEST(NoteDisplay, ClearingPutsEveryKeyOutAndMovesTheLogoTwelveOn) {
    Rig rig;
    for (std::uint32_t key : {60, 61, 66, 71}) rig.send(0x95, key, 100);
    ASSERT_EQ(rig.lit(), "YY....Y....Y");
    ASSERT_EQ(rig.display.logoColour(), 0x00FF00u) << "four keys: the fourth colour";
    rig.display.ClearPlayedNotes();
    EXPECT_EQ(rig.lit(), "............");
    EXPECT_EQ(rig.display.channelText(), "1");
    EXPECT_EQ(rig.display.velocityText(), "0%");
    EXPECT_EQ(rig.display.keyText(), "71") << "the key number stays";
    EXPECT_EQ(rig.display.logoColour(), 0xFFFFFFu) << "twelve on from the fourth colour: the eighth";
    rig.display.ClearPlayedNotes();
    EXPECT_EQ(rig.display.logoColour(), 0x00FF00u);
}

TEST(NoteDisplay, TheLogoMovesOnWithEveryKeyAndComesBackAfterEight) {
    Rig rig;
    const live::ColourWord navy = 0x800000;
    ASSERT_EQ(rig.display.logoColour(), navy);
    std::vector<live::ColourWord> seen;
    for (int i = 0; i < 9; ++i) {
        rig.send(0x90, 60, i % 2 ? 0 : 100);  // releases count as keys too
        seen.push_back(rig.display.logoColour());
    }
    EXPECT_EQ(seen, (std::vector<live::ColourWord>{navy, 0x800080, 0x808000, 0x00FF00, 0xFF0000, 0xFF00FF,
                                                   0xFFFF00, 0xFFFFFF, navy}));
}

TEST(NoteDisplay, AClickRepaintsOnlyThatKeyFromTheVelocityPlayedLast) {
    Rig rig;
    rig.send(0x90, 64, 100);  // E
    rig.display.NoteClick(2);
    EXPECT_EQ(rig.lit(), "..Y.Y.......") << "D lights from the last velocity";
    rig.send(0x90, 64, 0);
    EXPECT_EQ(rig.lit(), "..Y.........") << "another class's release leaves D alone";
    const live::ColourWord logo = rig.display.logoColour();
    rig.display.NoteClick(2);
    rig.display.NoteClick(12);  // no such key
    EXPECT_EQ(rig.lit(), "............");
    EXPECT_EQ(rig.display.logoColour(), logo) << "only keys move the logo";
    EXPECT_EQ(rig.display.channelText(), "1");
}

}  // namespace
