// The import flow behind the import pages, with the pages' side recorded: the chooser's rules,
// TRY's window of eight bars and its engine cell, MANUAL and AUTO, and aborts that keep the
// arrangement.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "import/import_flow.h"
#include "tests/import/support/import_rig.h"
#include "tests/import/support/test_songs.h"

namespace importtest {
namespace {

using midiimport::ImportFlow;

// The pages' side: every request logged; the two NEWs clear what the pages' NEWs clear.
class FlowHost final : public midiimport::ImportFlowHost {
  public:
    FlowHost(app::ProgramState& state, drums::DrumOps& ops) : state_(state), ops_(ops) {}

    void processMessages() override {
        log.push_back(flow && flow->controls.Busy ? "messages" : "messages (idle)");
    }
    void toggleTimeSignature() override {
        state_.drums.MeterSign = static_cast<std::int8_t>(-state_.drums.MeterSign);
        state_.drums.WaltzMode = state_.drums.MeterSign > 0 ? 1 : 0;
    }
    void applyBars() override {}
    void showTempo(int) override {}
    void paint() override {}
    void showProgress() override {
        if (flow) progress.push_back(flow->controls.Panel4 + (flow->controls.Busy ? "" : " (idle)"));
    }
    void stopPlaying() override { log.push_back("stop"); }
    void startPlaying() override { log.push_back("start"); }
    void newDrums() override {
        log.push_back("new drums");
        ops_.ClearPattern();
        ops_.ClearEngineDrums();
        state_.drums.Modified = 0;
    }
    void newAll() override {
        log.push_back("new parts");
        for (auto& t : state_.live.parts.PartSteps) t.fill({});
    }
    void resetOrchestra() override {}
    void reselectCurrentPart() override { log.push_back("reselect"); }
    void showFileName(const std::string&) override {}
    bool saveArrangement() override {
        log.push_back("save");
        return true;
    }
    void showChooser(const std::vector<std::string>& lines) override {
        items = lines;
        chooserShown = true;
    }
    void showChooserAgain() override { chooserShown = true; }
    void hideChooser() override { chooserShown = false; }
    void releasePages() override { log.push_back("release"); }

    ImportFlow* flow = nullptr;
    std::vector<std::string> log;
    std::vector<std::string> items;
    std::vector<std::string> progress;  // Panel4 at each progress call
    bool chooserShown = false;

  private:
    app::ProgramState& state_;
    drums::DrumOps& ops_;
};

// Conductor, kick on every bar's first beat, piano on channel 1 in D major, strings on channel
// 12, bass on channel 3.
std::vector<Track> ChannelSong() {
    Track kick, piano, strings, bass;
    kick.name("Kick");
    piano.name("Piano").program(0, 0, 0);
    strings.name("Strings").program(0, 11, 48);
    bass.name("Bass").program(0, 2, 33);
    for (int bar = 0; bar < 8; ++bar) {
        const int64_t t = bar * 480;
        kick.note(t, 9, 36, 100, 30);
        piano.note(t, 0, 62, 80, 120).note(t + 120, 0, 66, 80, 120).note(t + 240, 0, 69, 80, 120);
        strings.note(t, 11, 74, 60, 480);
        bass.note(t, 2, 38, 110, 60);
    }
    Track conductor;
    conductor.name("Song").tempo(0, 500000).meter(0, 4, 4);
    return {conductor, kick, piano, strings, bass};
}

class Flow : public ImportFixture {
  protected:
    Flow() { host.flow = &flow; }

    std::string WriteChannelSong() {
        const std::string path = Path("channels.mid");
        EXPECT_TRUE(WriteSong(path, 1, kDivision, ChannelSong()));
        return path;
    }
    // The chooser's line for a channel (1..16); empty when there is none.
    std::string Line(int channel) {
        const std::string prefix = std::to_string(channel) + ":";
        for (const auto& item : host.items)
            if (item.rfind(prefix, 0) == 0) return item;
        return {};
    }
    std::string Comment() {
        for (const auto& item : host.items)
            if (item.rfind("NOCHANNEL", 0) == 0) return item;
        return {};
    }
    void StartInstruments(const std::string& song) {
        dialogs.scriptFile(song);
        flow.ExtractInstrumentsClick();
        ASSERT_TRUE(host.chooserShown);
        dialogs.clear();
    }
    // A drum hit and a part note that the import must keep or clear.
    void WriteSomething() {
        if (cell(7, 3) == 0) ops.ToggleDrumCell(7, 3, 99);
        state.live.parts.PartSteps[1][9] = {70, 50, 300};
        state.drums.Modified = 1;
    }
    bool SomethingKept() { return cell(7, 3) == 99 && state.live.parts.PartSteps[1][9].note == 70; }

    FlowHost host{state, ops};
    ImportFlow flow{import, {state, state.drums, state.live}, link, ops, dialogs, host};
};

TEST_F(Flow, ChooserLinesChooseTheChannelsThatAreConverted) {
    const std::string song = WriteChannelSong();
    struct Case {
        const char* name;
        // "1" .. "16": that channel's line; "#": the comment; anything longer as it is.
        std::array<std::string, 4> lines;
        std::vector<std::string> boxes;
        std::array<std::uint8_t, 4> converted;
        bool chooserShown;
    };
    const std::vector<Case> cases = {
        {"piano and strings", {"1", "12", "", ""}, {}, {1, 1, 0, 0}, false},
        {"strings on 12 alone", {"", "12", "", ""}, {}, {0, 1, 0, 0}, false},
        {"the drum channel", {"10: \"Kick\" ", "", "", ""}, {midiimport::kBadChoice}, {0, 0, 0, 0}, true},
        {"a comment, then strings", {"#", "12", "", ""}, {midiimport::kBadChoice}, {0, 1, 0, 0}, true},
        {"piano and bass on one channel",
         {"1", "", "", "1"},
         {midiimport::kSameChannels},
         {0, 0, 0, 0},
         true},
        {"a refusal and a duplicate",
         {"#", "3", "", "3"},
         {midiimport::kBadChoice, midiimport::kSameChannels},
         {0, 0, 0, 0},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartInstruments(song);
        std::array<std::string, 4> lines;
        for (int i = 0; i < 4; ++i) {
            const std::string& l = c.lines[static_cast<size_t>(i)];
            lines[static_cast<size_t>(i)] = l.size() > 2 ? l
                                            : l.empty()  ? ""
                                            : l == "#"   ? Comment()
                                                         : Line(std::stoi(l));
            if (!l.empty()) {
                ASSERT_FALSE(lines[static_cast<size_t>(i)].empty()) << l;
            }
        }
        flow.ChooseButtonClick(lines);
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(import.split.PartConverted, c.converted);
        EXPECT_EQ(host.chooserShown, c.chooserShown);
        // A refusal leaves the import waiting for a new choice; a conversion leaves it ready.
        EXPECT_EQ(import.split.ImportAborted, 0);
        const bool any = std::any_of(c.converted.begin(), c.converted.end(), [](auto v) { return v != 0; });
        if (any) {
            EXPECT_EQ(flow.controls.Panel4, "READY");
        }
        EXPECT_EQ(flow.controls.TryEnabled, any);
        flow.ABORTIMPORTClick();
    }
}

TEST_F(Flow, AfterARefusalTheNextChoiceStillConverts) {
    StartInstruments(WriteChannelSong());
    flow.ChooseButtonClick({Comment(), "", "", ""});
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{midiimport::kBadChoice});
    dialogs.clear();
    flow.ChooseButtonClick({"", "", "", Line(3)});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(import.split.PartConverted, (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
    flow.TryMidiImportClick();
    EXPECT_EQ(PartBars(4)[0], "1:38/110/240");
}

TEST_F(Flow, NothingChosenStartsAgainLikeNew) {
    StartInstruments(WriteChannelSong());
    WriteSomething();
    flow.ChooseButtonClick({"", "", "", ""});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(import.split.ImportAborted, 1);
    EXPECT_EQ(flow.controls.Caption, "MIDI IMPORT");
    EXPECT_FALSE(SomethingKept());
    EXPECT_EQ(state.drums.Modified, 0);
}

// TRY takes the eight bars from the spin's bar; after a conversion that is bar 8. The engine's
// cell fields are parked on cell 0/0 without touching it: a hit on the very last step stays.
TEST_F(Flow, TryTakesEightBarsFromTheChosenBarAndKeepsTheLastStep) {
    Track conductor, drums;
    conductor.tempo(0, 500000).meter(0, 4, 4);
    for (int bar = 1; bar <= 16; ++bar) drums.note((bar - 1) * 480, 9, 36, 60 + bar, 30);
    // High Q (drum 0) on the last 32nd of bar 15, the last step of a window from bar 8.
    drums.note(14 * 480 + 3 * 120 + 105, 9, 27, 90, 10);
    const std::string song = Path("long.mid");
    ASSERT_TRUE(WriteSong(song, 1, kDivision, {conductor, drums}));
    dialogs.scriptFile(song);
    flow.ExtractDrumsClick();
    ASSERT_EQ(flow.controls.Panel4, "READY");
    EXPECT_EQ(flow.controls.WhichBarText, "8");
    EXPECT_EQ(flow.controls.WhichBarMax, 9);  // bars 9..16 are the last eight
    host.log.clear();

    flow.TryMidiImportClick();
    for (int bar = 0; bar < 8; ++bar) EXPECT_EQ(cell(bar * 32 + 1, kKick), 68 + bar) << "bar " << bar + 8;
    EXPECT_EQ(cell(0, 0), 90);
    EXPECT_TRUE(engineMatchesPattern());
    EXPECT_EQ(state.Engine.Step, 0);
    EXPECT_EQ(state.Engine.Drum, 0);
    EXPECT_EQ(state.Engine.CellValue, 90);
    EXPECT_EQ(flow.controls.Panel4, "MIDI");
    EXPECT_FALSE(std::filesystem::exists(Path(midiimport::kSplitFileName)));
    // Stopped first, started last, and the page was disabled while messages ran.
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log.front(), "stop");
    EXPECT_EQ(host.log.back(), "start");
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "messages (idle)"), 0);
    EXPECT_GT(std::count(host.log.begin(), host.log.end(), "messages"), 0);
    EXPECT_FALSE(flow.controls.Busy);

    // Another bar: the window moves.
    flow.WhichBarChange("1");
    flow.TryMidiImportClick();
    EXPECT_EQ(cell(1, kKick), 61);
    EXPECT_EQ(cell(0, 0), 0);
}

TEST_F(Flow, AutoMovesTriedPartsIntoCAndNewReturnsToManual) {
    for (const bool autoMode : {false, true}) {
        SCOPED_TRACE(autoMode ? "AUTO" : "MANUAL");
        StartInstruments(WriteChannelSong());
        if (autoMode) flow.DontKillBtnClick();
        EXPECT_EQ(flow.controls.DontKillCaption, autoMode ? "AUTO " : "MANUAL");
        EXPECT_EQ(import.ManualImport, autoMode ? 0 : 1);
        flow.ChooseButtonClick({Line(1), "", "", ""});
        flow.WhichBarChange("1");
        flow.TryMidiImportClick();
        // D, F#, A moved down by two into C, E, G; in MANUAL they stay.
        EXPECT_EQ(PartBars(1)[0],
                  autoMode ? "1:60/80/480 9:64/80/480 17:67/80/480" : "1:62/80/480 9:66/80/480 17:69/80/480");
        flow.ABORTIMPORTClick();
        EXPECT_EQ(flow.controls.DontKillCaption, "MANUAL");
        EXPECT_EQ(import.split.ModeSign, 1);
        EXPECT_EQ(import.ManualImport, 1);
    }
}

// An abort shows its one message and puts the page back to idle; the arrangement stays as it
// was, the import running and MANUAL.
TEST_F(Flow, AnAbortShowsOneMessageAndKeepsTheArrangement) {
    const std::string song = WriteChannelSong();
    const auto bytes = ReadBytes(song);
    const std::string cut = Path("cut.mid");
    WriteBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 60));
    struct Case {
        const char* name;
        std::string file;
        bool drums;
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases = {
        {"cut, drums", cut, true, {"FILE ERROR - ABORTING:"}},
        {"cut, instruments", cut, false, {"FILE ERROR - ABORTING:"}},
        {"missing, drums", Path("missing.mid"), true, {"FILE ERROR - INPUT:"}},
        {"missing, instruments", Path("missing.mid"), false, {"FILE ERROR - INPUT:"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSomething();
        flow.DontKillBtnClick();  // AUTO
        dialogs.clear();
        host.chooserShown = false;
        dialogs.scriptFile(c.file);
        if (c.drums)
            flow.ExtractDrumsClick();
        else
            flow.ExtractInstrumentsClick();
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_TRUE(SomethingKept());
        EXPECT_EQ(state.drums.Modified, 1);
        EXPECT_FALSE(host.chooserShown);
        EXPECT_EQ(import.split.ImportAborted, 1);
        EXPECT_EQ(import.split.ImportRunning, 1);
        EXPECT_EQ(flow.controls.Caption, "MIDI IMPORT");
        EXPECT_TRUE(flow.controls.ExtractDrumsEnabled);
        EXPECT_TRUE(flow.controls.ExtractInstrumentsEnabled);
        EXPECT_FALSE(flow.controls.TryEnabled);
        EXPECT_FALSE(flow.controls.Busy);
        EXPECT_EQ(import.ManualImport, 1);
    }
}

// Whichever stage after the split fails, the split file goes with the import.
TEST_F(Flow, AFailureAfterTheSplitLeavesNoSplitFile) {
    const std::string song = WriteChannelSong();
    Track controllers;
    controllers.cc(0, 0, 7, 100).cc(480, 0, 7, 90);
    const std::string nothing = Path("nothing.mid");
    ASSERT_TRUE(WriteSong(nothing, 1, kDivision, {controllers}));
    const std::filesystem::path dumpFile = Path(midiimport::kDumpFileName);
    struct Case {
        const char* name;
        std::string file;
        bool drums;
        bool dumpBlocked;  // "$$$" cannot be created
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases = {
        {"dump not written, drums", song, true, true, {"FILE ERROR - DUMP:"}},
        {"dump not written, a part", song, false, true, {"FILE ERROR - DUMP:"}},
        {"nothing usable", nothing, true, false, {"NO DRUMS FOUND", midiimport::kNoDrums}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dumpFile);
        if (c.dumpBlocked) {
            std::filesystem::create_directory(dumpFile);
            WriteBytes((dumpFile / "kept").string(), {1});
        }
        dialogs.clear();
        if (c.drums) {
            dialogs.scriptFile(c.file);
            flow.ExtractDrumsClick();
        } else {
            StartInstruments(c.file);
            ASSERT_TRUE(std::filesystem::exists(Path(midiimport::kSplitFileName)));
            flow.ChooseButtonClick({Line(1), "", "", ""});
        }
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(import.split.ImportAborted, 1);
        EXPECT_FALSE(std::filesystem::exists(Path(midiimport::kSplitFileName)));
    }
    std::filesystem::remove_all(dumpFile);
}

// The long steps show how far they have come, with the page disabled all along.
TEST_F(Flow, TheLongStepsShowTheirProgress) {
    Track conductor, drums;
    conductor.tempo(0, 500000);
    for (int i = 0; i < 2000; ++i) drums.note(i * 30, 9, 36 + i % 5, 100, 20);
    const std::string song = Path("busy.mid");
    ASSERT_TRUE(WriteSong(song, 1, kDivision, {conductor, drums}));
    dialogs.scriptFile(song);
    flow.ExtractDrumsClick();
    ASSERT_EQ(flow.controls.Panel4, "READY");
    std::map<std::string, std::vector<int>> figures;
    for (const std::string& text : host.progress) {
        const size_t blank = text.find(' ');
        ASSERT_NE(blank, std::string::npos) << text;
        ASSERT_EQ(text.back(), '%') << text;
        figures[text.substr(0, blank)].push_back(std::stoi(text.substr(blank + 1)));
    }
    ASSERT_EQ(figures.size(), 2u) << "the split and the dump, each while the page is busy";
    for (const auto& [step, percents] : figures) {
        SCOPED_TRACE(step);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        EXPECT_EQ(percents.back(), 100);
        EXPECT_GT(std::count_if(percents.begin(), percents.end(), [](int p) { return p > 0 && p < 100; }), 2);
    }
    EXPECT_TRUE(figures.count("Extracting") && figures.count("Converting"));
}

TEST_F(Flow, CancelledFileDialogLeavesThePageAsItWas) {
    flow.ExtractDrumsClick();  // no file scripted: cancelled
    EXPECT_EQ(import.split.ImportRunning, 1);
    EXPECT_EQ(flow.controls.Panel4, "MIDI");
    EXPECT_TRUE(flow.controls.ExtractDrumsEnabled);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    ASSERT_EQ(dialogs.log().size(), 1u);
    EXPECT_EQ(dialogs.log()[0].request.title, "Open Midi File");
    EXPECT_EQ(dialogs.log()[0].request.defaultExt, "MID");
}

TEST_F(Flow, OkStopsSavesAndEndsTheImport) {
    dialogs.scriptFile(WriteChannelSong());
    flow.ExtractDrumsClick();
    flow.TryMidiImportClick();
    host.log.clear();
    flow.ExitMidiExtractClick();
    std::erase_if(host.log, [](const std::string& s) { return s.rfind("messages", 0) == 0; });
    EXPECT_EQ(host.log, (std::vector<std::string>{"stop", "save", "stop", "release"}));
    EXPECT_EQ(import.split.ImportRunning, 0);
}

// OK leaves the mode as it is; the next import's page shows it.
TEST_F(Flow, ANewPageShowsTheModeInForce) {
    flow.DontKillBtnClick();
    flow.ExitMidiExtractClick();
    ImportFlow next{import, {state, state.drums, state.live}, link, ops, dialogs, host};
    EXPECT_EQ(next.controls.DontKillCaption, "AUTO ");
    EXPECT_FALSE(next.controls.DontKillRed);
    EXPECT_EQ(import.ManualImport, 0);
    next.DontKillBtnClick();
    EXPECT_EQ(next.controls.DontKillCaption, "MANUAL");
    EXPECT_EQ(import.ManualImport, 1);
}

TEST(ChooserLine, ChannelAtTheStart) {
    const std::pair<const char*, int> cases[] = {
        {"1: \"Piano\" (Grand Piano)", 1}, {"12: x", 12}, {"16:", 16},   {"17: x", 0},   {"0: x", 0},
        {"NOCHANNEL: \"Song\" ", 0},       {"", 0},       {"100: x", 0}, {"1000000", 0}, {"3", 3},
    };
    for (const auto& [line, channel] : cases) EXPECT_EQ(midiimport::LineChannel(line), channel) << line;
}

}  // namespace
}  // namespace importtest
