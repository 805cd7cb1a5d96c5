// Opening and saving an arrangement around the file: the dialogs, the save offer, the
// messages of each failure, Modified, the folders, and what the pages are asked to show.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "program/arrangement_flow.h"
#include "tests/app/support/program_fixture.h"
#include "tests/app/support/test_disk.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
using platform::BeepSound;
using platform::testing::ScriptedDialogs;

Bytes readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// The pages' side, kept as a journal. NEW empties the pattern after the save offer, as the drum
// tab does.
class JournalPages final : public app::ArrangementPages {
  public:
    JournalPages(app::ProgramState& state, drums::DrumOps& ops, app::SaveOffer& save)
        : state_(state), ops_(ops), save_(save) {}
    Strings calls;
    bool setupVisible = false;
    std::array<int, 4> panBars{64, 64, 64, 64};
    int bars = 800;
    bool refreshedWhileLoading = false;

    bool setupPageVisible() override { return setupVisible; }
    void showPlayerPage() override { calls.push_back("player page"); }
    void stopPlayer() override { calls.push_back("stop player"); }
    const void* setupWindow() override { return this; }
    void panic() override { calls.push_back("panic"); }
    bool newDrums() override {
        calls.push_back("new");
        if (!save_.Offer(this)) return false;
        ops_.ClearPattern();
        ops_.ClearEngineDrums();
        state_.drums.Modified = 0;
        return true;
    }
    void resetOrchestra() override { calls.push_back("reset orchestra"); }
    void showFileName(const std::string& path) override { calls.push_back("file name " + path); }
    void showTempo(int tempo) override { calls.push_back("tempo " + std::to_string(tempo)); }
    void showSplitPoint(int split) override { calls.push_back("split " + std::to_string(split)); }
    std::array<int, 4> partPanBars() override { return panBars; }
    void showPartPans(const std::array<int, 4>& pans) override {
        calls.push_back("pans " + std::to_string(pans[0]) + " " + std::to_string(pans[3]));
    }
    void showThruChannel(int channel) override { calls.push_back("thru " + std::to_string(channel)); }
    int barsPosition() override { return bars; }
    void applyBars() override { calls.push_back("bars"); }
    void reapplyTimeSignature() override { calls.push_back("meter"); }
    void selectDrumTab(int drum) override { calls.push_back("tab " + std::to_string(drum)); }
    void refreshOrchestra() override {
        calls.push_back("refresh");
        refreshedWhileLoading = state_.file.LoadingArrangement == 1;
    }

    bool called(const std::string& what) const {
        return std::find(calls.begin(), calls.end(), what) != calls.end();
    }

  private:
    app::ProgramState& state_;
    drums::DrumOps& ops_;
    app::SaveOffer& save_;
};

class ArrangementFlow : public testsupport::ProgramFixture {
  protected:
    ArrangementFlow() {
        save.SaveArrangement = [this] { return flow.Save(); };
    }

    fs::path tarn(const std::string& name) const { return folder.path() / "TarnFile" / name; }
    bool inProgramFolder() const { return fs::current_path() == folder.path(); }
    ScriptedDialogs::Entry lastBox() const {
        const auto boxes = dialogs.boxes();
        return boxes.empty() ? ScriptedDialogs::Entry{ScriptedDialogs::Entry::Kind::Box} : boxes.back();
    }
    // The sounds asked for, in order.
    std::vector<BeepSound> beeps() const {
        std::vector<BeepSound> out;
        for (const auto& e : dialogs.log())
            if (e.kind == ScriptedDialogs::Entry::Kind::Beep) out.push_back(e.sound);
        return out;
    }
    // A file written by our writer from an arrangement with drums and parts.
    Bytes songFile() {
        auto other = std::make_unique<app::ProgramState>();
        other->drums.DrumPattern[3][40] = 90;
        other->drums.DrumPattern[200][12] = 80;  // the last record: drum 12
        other->drums.DrumPans[40] = 10;
        other->drums.MeterSign = 1;
        other->Engine.Tempo = 180;
        auto& parts = other->live.parts;
        parts.PartSteps[0][1] = {60, 101, 5000};
        parts.PartSteps[0][33] = {64, 77, 300};
        parts.PartSteps[3][0] = {36, 90, 250};
        parts.PartChannels = {9, 0, 2, 1, 4};
        parts.PartPans = {64, 10, 20, 30, 40};
        parts.SplitPoint = 60;
        return app::EncodeArrangement(*other, 200);
    }

    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    app::SaveOffer save{state.drums, state.live.parts, dialogs};
    JournalPages pages{state, ops, save};
    testsupport::TestDisk disk;
    app::ArrangementFlow flow{state, link, dialogs, devices, ops, save, pages, disk};
};

TEST_F(ArrangementFlow, SaveWritesTheArrangementAndClearsModified) {
    state.drums.DrumPattern[5][8] = 100;
    state.drums.Modified = 1;
    pages.panBars = {1, 2, 3, 4};
    pages.bars = 300;
    dialogs.scriptFile(tarn("song.QTR").string());
    ASSERT_TRUE(flow.Save());

    EXPECT_EQ(state.live.parts.PartPans[4], 4) << "the pan bars are taken first";
    EXPECT_EQ(readFile(tarn("song.QTR")), app::EncodeArrangement(state, 300));
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_TRUE(inProgramFolder());
    EXPECT_TRUE(pages.called("file name " + tarn("song.QTR").string()));
    const auto& request = dialogs.log().front().request;
    EXPECT_EQ(request.defaultExt, "QTR");
    EXPECT_EQ(fs::path(request.initialDir), folder.path() / "TarnFile");
    EXPECT_TRUE(dialogs.boxes().empty());
}

struct SaveFailure {
    const char* name;
    std::function<std::string(const fs::path& tarnFolder, testsupport::TestDisk&)>
        prepare;       // the chosen path
    const char* text;  // how the box text begins
    const char* caption;
};

TEST_F(ArrangementFlow, AFailedSaveKeepsTheOldFileAndModified) {
    const Bytes old = {7, 7, 7};
    const std::vector<SaveFailure> table = {
        {"less than 4096 bytes free",
         [](const fs::path& t, testsupport::TestDisk& d) {
             d.free = 4095;
             return (t / "old.QTR").string();
         },
         "NOT ENOUGH DISK SPACE!", "DISK FULL"},
        {"a write error",
         [](const fs::path& t, testsupport::TestDisk& d) {
             d.failWrites = true;
             return (t / "old.QTR").string();
         },
         "Can not save ", "ERROR"},
        {"the name of a folder",
         [](const fs::path& t, testsupport::TestDisk&) {
             fs::create_directory((t / "folder.QTR"));
             return (t / "folder.QTR").string();
         },
         "Can not save ", "ERROR"},
        {"a folder nobody may write",
         [](const fs::path&, testsupport::TestDisk& d) {
             d.free = 1u << 30;  // /proc reports no space at all
             return std::string("/proc/x.QTR");
         },
         "Can not save ", "ERROR"},
        {"a write-protected file",
         [](const fs::path& t, testsupport::TestDisk&) {
             fs::permissions(t / "old.QTR", fs::perms::owner_read | fs::perms::group_read);
             return (t / "old.QTR").string();
         },
         "Can not save ", "ERROR"},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(c.name);
        if (fs::exists(tarn("old.QTR"))) fs::permissions(tarn("old.QTR"), fs::perms::owner_all);
        writeFile(tarn("old.QTR"), old);
        disk = testsupport::TestDisk();
        dialogs.clear();
        state.drums.DrumPattern[5][8] = 100;
        state.drums.Modified = 1;
        dialogs.scriptFile(c.prepare(folder.path() / "TarnFile", disk));
        EXPECT_FALSE(flow.Save());
        EXPECT_EQ(readFile(tarn("old.QTR")), old);
        EXPECT_EQ(state.drums.Modified, 1);
        EXPECT_EQ(lastBox().text.rfind(c.text, 0), 0u) << lastBox().text;
        EXPECT_EQ(lastBox().caption, c.caption);
        EXPECT_EQ(beeps(), std::vector<BeepSound>{BeepSound::Stop});
    }
}

TEST_F(ArrangementFlow, FreeSpaceOf4096IsEnoughAndAFailedQueryOnlyWarns) {
    state.drums.Modified = 1;
    disk.free = 4096;
    dialogs.scriptFile(tarn("a.QTR").string());
    EXPECT_TRUE(flow.Save());
    EXPECT_TRUE(dialogs.boxes().empty());

    disk.freeQueryFails = true;
    state.drums.Modified = 1;
    dialogs.scriptFile(tarn("b.QTR").string());
    EXPECT_TRUE(flow.Save());
    EXPECT_EQ(lastBox().text, "Can not read disk free area!");
    EXPECT_EQ(lastBox().caption, "ERROR");
    EXPECT_TRUE(fs::exists(tarn("b.QTR")));
    EXPECT_EQ(state.drums.Modified, 0);
}

TEST_F(ArrangementFlow, TheSaveOfferClearsModifiedOnlyWhenTheFileWasWritten) {
    state.drums.DrumPattern[5][8] = 100;
    state.drums.Modified = 1;
    dialogs.scriptAnswer(platform::BoxAnswer::Yes);  // the save dialog is then cancelled
    EXPECT_FALSE(save.Offer(nullptr));
    EXPECT_EQ(state.drums.Modified, 1);

    dialogs.scriptAnswer(platform::BoxAnswer::Yes);
    dialogs.scriptFile(tarn("kept.QTR").string());
    EXPECT_TRUE(save.Offer(nullptr));
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_TRUE(fs::exists(tarn("kept.QTR")));
}

TEST_F(ArrangementFlow, OpenReplacesTheArrangementAndShowsPartOne) {
    writeFile(tarn("song.QTR"), songFile());
    ops.ToggleDrumCell(7, 7, 50);  // replaced by the file
    state.drums.Modified = 0;
    state.live.parts.CurrentPart = 3;
    dialogs.scriptFile(tarn("song.QTR").string());
    ASSERT_TRUE(flow.Open());

    EXPECT_EQ(cell(7, 7), 0);
    EXPECT_EQ(cell(3, 40), 90);
    EXPECT_EQ(state.drums.DrumPans[40], 10);
    EXPECT_TRUE(engineMatchesPattern());
    EXPECT_EQ(state.drums.MeterSign, 1);
    EXPECT_EQ(state.drums.Bars, 2);
    EXPECT_EQ(state.Engine.Tempo, 180);
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(state.file.FileNameBuf, tarn("song.QTR").string());
    const auto& parts = state.live.parts;
    EXPECT_EQ(parts.PartSteps[0][1], (accompaniment::PartStep{60, 101, 5000}));
    EXPECT_EQ(parts.CurrentPart, 1);
    EXPECT_EQ(parts.GridNotes[33], 64);
    EXPECT_EQ(parts.GridDurations[1], 5000);
    EXPECT_EQ(parts.ThruChannel, 9);
    EXPECT_EQ(readFile(folder.path() / "Quintora2.cfg").at(2), 9)
        << "the THRU channel is in the configuration";
    EXPECT_TRUE(pages.refreshedWhileLoading);
    EXPECT_EQ(state.file.LoadingArrangement, 0);
    EXPECT_TRUE(inProgramFolder());
    const Strings tail(pages.calls.end() - 4, pages.calls.end());
    EXPECT_EQ(tail, (Strings{"bars", "meter", "tab 12", "refresh"}));
    for (const char* shown :
         {"panic", "new", "reset orchestra", "tempo 180", "split 60", "pans 10 40", "thru 9"})
        EXPECT_TRUE(pages.called(shown)) << shown;
}

TEST_F(ArrangementFlow, ARefusedFileChangesNothing) {
    const Bytes good = songFile();
    ops.ClearEngineDrums();
    ops.ToggleDrumCell(7, 7, 50);
    state.live.parts.PartSteps[2][9] = {70, 80, 900};
    state.Engine.Tempo = 99;
    state.drums.Modified = 1;  // the question is answered No
    const auto drumsBefore = state.drums;
    const auto stepsBefore = state.live.parts.PartSteps;
    const auto channelsBefore = state.live.parts.PartChannels;

    for (const std::size_t length :
         {std::size_t{0}, std::size_t{4}, std::size_t{9}, std::size_t{12}, std::size_t{2000}}) {
        SCOPED_TRACE(length);
        writeFile(tarn("bad.QTR"), Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        dialogs.clear();
        pages.calls.clear();
        dialogs.scriptFile(tarn("bad.QTR").string());
        EXPECT_FALSE(flow.Open());
        EXPECT_EQ(lastBox().text, tarn("bad.QTR").string() + " is not a valid arrangement file!");
        EXPECT_EQ(lastBox().caption, "WARNING");
        EXPECT_EQ(lastBox().icon, platform::BoxIcon::Exclamation);
        EXPECT_FALSE(pages.called("new"));
        EXPECT_EQ(state.drums.DrumPattern, drumsBefore.DrumPattern);
        EXPECT_EQ(state.drums.DrumPans, drumsBefore.DrumPans);
        EXPECT_EQ(state.drums.Modified, 1);
        EXPECT_EQ(state.Engine.Tempo, 99);
        EXPECT_EQ(state.live.parts.PartSteps, stepsBefore);
        EXPECT_EQ(state.live.parts.PartChannels, channelsBefore);
        EXPECT_TRUE(engineMatchesPattern());
    }
}

TEST_F(ArrangementFlow, AMissingFileIsNamedInTheWarning) {
    state.drums.Modified = 1;
    for (const auto& [chosen, text] : std::vector<std::pair<std::string, std::string>>{
             {tarn("gone.QTR").string(), tarn("gone.QTR").string() + " does not exist!"},
             {"a.Q", "File does not exist!"}}) {
        dialogs.clear();
        dialogs.scriptFile(chosen);
        EXPECT_FALSE(flow.Open());
        EXPECT_EQ(lastBox().text, text);
        EXPECT_EQ(lastBox().caption, "WARNING");
        EXPECT_EQ(beeps(), std::vector<BeepSound>(3, BeepSound::Default));
        EXPECT_EQ(state.drums.Modified, 1);
    }
}

TEST_F(ArrangementFlow, ACancelledOpenRefreshesFromMemoryAndKeepsModified) {
    ops.ToggleDrumCell(7, 7, 50);
    state.drums.Modified = 1;
    dialogs.scriptAnswer(platform::BoxAnswer::No);
    EXPECT_FALSE(flow.Open());
    EXPECT_EQ(cell(7, 7), 50);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(pages.calls, (Strings{"stop player", "bars", "meter", "tab 0", "refresh"}));
    EXPECT_TRUE(pages.refreshedWhileLoading) << "the refresh commits no grid over a part";
    EXPECT_TRUE(inProgramFolder());
}

TEST_F(ArrangementFlow, YesWithAFailedSaveKeepsTheArrangementAndOpensNothing) {
    ops.ToggleDrumCell(7, 7, 50);
    dialogs.scriptAnswer(platform::BoxAnswer::Yes);
    dialogs.scriptFile(std::nullopt);  // the save dialog cancelled
    dialogs.scriptFile(tarn("never.QTR").string());
    EXPECT_FALSE(flow.Open());
    EXPECT_EQ(cell(7, 7), 50);
    EXPECT_EQ(state.drums.Modified, 1);
    for (const auto& e : dialogs.log()) EXPECT_NE(e.kind, ScriptedDialogs::Entry::Kind::Open);
}

TEST_F(ArrangementFlow, AMergeTakesOnlyTheDrums) {
    writeFile(tarn("song.QTR"), songFile());
    state.file.MergingDrums = 1;
    state.live.parts.PartSteps[1][5] = {50, 60, 700};
    state.live.parts.CurrentPart = 2;
    dialogs.scriptFile(tarn("song.QTR").string());
    ASSERT_TRUE(flow.Open());
    EXPECT_EQ(cell(3, 40), 90);
    EXPECT_EQ(state.live.parts.PartSteps[1][5], (accompaniment::PartStep{50, 60, 700}));
    EXPECT_EQ(state.live.parts.PartSteps[0][1], accompaniment::PartStep{});
    EXPECT_EQ(state.live.parts.CurrentPart, 2);
    EXPECT_FALSE(pages.called("refresh"));
    EXPECT_FALSE(pages.called("split 60"));
}

// The parts in memory with a file's drums are in no file, unless the drums came back as they
// were and the parts had been saved.
TEST_F(ArrangementFlow, AMergeLeavesModifiedUnlessNothingUnsavedRemains) {
    using platform::BoxAnswer;
    struct Case {
        const char* name;
        std::uint8_t modified;
        std::vector<BoxAnswer> answers;  // to the save offers of the open and of NEW
        bool sameDrums;
        std::uint8_t after;
    };
    const Case cases[] = {
        {"unsaved edits, other drums", 1, {BoxAnswer::No, BoxAnswer::No}, false, 1},
        {"unsaved edits, the same drums", 1, {BoxAnswer::No, BoxAnswer::No}, true, 1},
        {"saved, other drums", 0, {}, false, 1},
        {"saved, the same drums", 0, {}, true, 0},
        {"saved when asked, the same drums", 1, {BoxAnswer::Yes}, true, 0},
    };
    writeFile(tarn("song.QTR"), songFile());
    for (const Case& c : cases) {
        ops.ClearPattern();
        state.drums.DrumPattern[5][8] = 100;
        state.drums.DrumPans[8] = 20;
        state.live.parts.PartSteps[1][5] = {50, 60, 700};
        writeFile(tarn("same.QTR"), app::EncodeArrangement(state, state.drums.Bars * 100));
        state.drums.Modified = c.modified;
        dialogs.clear();
        for (BoxAnswer a : c.answers) dialogs.scriptAnswer(a);
        if (!c.answers.empty() && c.answers[0] == BoxAnswer::Yes)
            dialogs.scriptFile(tarn("kept.QTR").string());
        dialogs.scriptFile(tarn(c.sameDrums ? "same.QTR" : "song.QTR").string());
        state.file.MergingDrums = 1;
        ASSERT_TRUE(flow.Open()) << c.name;
        state.file.MergingDrums = 0;
        EXPECT_EQ(dialogs.boxes().size(), c.answers.size()) << c.name;
        EXPECT_EQ(cell(3, 40), c.sameDrums ? 0 : 90) << c.name << ": the file's drums were taken";
        EXPECT_EQ(state.drums.Modified, c.after) << c.name;
    }
    // A whole open leaves nothing unsaved.
    state.drums.Modified = 1;
    dialogs.clear();
    dialogs.scriptAnswer(BoxAnswer::No);
    dialogs.scriptAnswer(BoxAnswer::No);
    dialogs.scriptFile(tarn("song.QTR").string());
    ASSERT_TRUE(flow.Open());
    EXPECT_EQ(state.drums.Modified, 0);
}

}  // namespace
