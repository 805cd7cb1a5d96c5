// Opening and saving through the setup page's entry points with every page in place: what the
// drum tab and the accompaniment page show afterwards, and that a load never loses a part.

#include <gtest/gtest.h>

#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/pages/program.h"
#include "program/arrangement_file.h"
#include "tests/app/support/pages_rig.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using accompaniment::PartStep;

Bytes readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class ArrangementPages : public testsupport::PagesRig {
  protected:
    ArrangementPages() {
        createPages();
        tab = pages.DrumTab;
        form = pages.QuintoraForm;
        orchestra = pages.OrchestraForm;
        ops.ClearEngineDrums();
        ops.ParkEngineCell();
        dialogs.clear();
    }
    std::string tarn(const char* name) const { return (folder.path() / "TarnFile" / name).string(); }
    void clickCell(int drum, int n) {
        tab->DrumTabs->setCurrentIndex(drum);
        tab->DrumPanel[static_cast<std::size_t>(n)]->onClick();
    }

    drums::TDrumTab* tab = nullptr;
    app::TQuintoraForm* form = nullptr;
    accompaniment::TOrchestraForm* orchestra = nullptr;
};

TEST_F(ArrangementPages, SaveNewAndOpenBringBackDrumsPartsAndControls) {
    clickCell(40, 200);
    clickCell(12, 5);
    tab->PanBar->setValue(20);
    tab->TempoBar->setValue(200);
    tab->NumBars1->setValue(300);
    tab->TimeSignatureClick();
    auto& parts = state.live.parts;
    parts.PartSteps[0][1] = {60, 101, 5000};
    parts.PartSteps[2][3] = {67, 55, 300};
    parts.SplitPoint = 60;
    orchestra->PanBar[1]->setValue(30);

    dialogs.scriptFile(tarn("song.QTR"));
    ASSERT_TRUE(form->SaveItemClick());
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(orchestra->FileNamePanel->text().toStdString(), tarn("song.QTR"));

    tab->NewDrumsClick();
    orchestra->NewAllClick();
    tab->TimeSignatureClick();  // back to four time
    tab->TempoBar->setValue(90);
    ASSERT_EQ(cell(5, 12), 0);
    ASSERT_EQ(parts.PartSteps[0][1].note, 0) << "NEW emptied the part";
    clickCell(3, 3);  // something of the user's that the file replaces
    state.drums.Modified = 0;

    dialogs.scriptFile(tarn("song.QTR"));
    ASSERT_TRUE(form->OpenItemClick());
    EXPECT_EQ(cell(5, 12), 96);
    EXPECT_EQ(cell(200, 40), 96);
    EXPECT_EQ(cell(3, 3), 0);
    EXPECT_EQ(state.drums.DrumPans[12], 20);
    EXPECT_TRUE(engineMatchesPattern());
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 40) << "the drum of the last cell record";
    EXPECT_EQ(tab->PanBar->value(), state.drums.DrumPans[40]);
    EXPECT_EQ(tab->TempoBar->value(), 200);
    EXPECT_EQ(tab->TempoPanel->text(), "200");
    EXPECT_EQ(state.Engine.Tempo, 200);
    EXPECT_EQ(tab->NumBars1->value(), 300);
    EXPECT_EQ(state.drums.Bars, 3);
    EXPECT_EQ(state.drums.MeterSign, 1);
    EXPECT_EQ(tab->TimeSignature->text(), "WALTZ");
    EXPECT_EQ(parts.PartSteps[0][1], (PartStep{60, 101, 5000}))
        << "no refresh committed the grid over part 1";
    EXPECT_EQ(parts.PartSteps[2][3], (PartStep{67, 55, 300}));
    EXPECT_EQ(parts.CurrentPart, 1);
    EXPECT_EQ(parts.GridNotes[1], 60);
    EXPECT_EQ(orchestra->PanBar[1]->value(), 30);
    EXPECT_EQ(orchestra->Panel6->text(), "60");
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(state.file.LoadingArrangement, 0);
    EXPECT_EQ(fs::current_path(), folder.path());
    EXPECT_EQ(readFile(tarn("song.QTR")), app::EncodeArrangement(state, tab->NumBars1->value()))
        << "what was read writes back the same";
}

TEST_F(ArrangementPages, ADamagedFileLeavesThePagesAndTheEngineAsTheyWere) {
    clickCell(12, 5);
    tab->TempoBar->setValue(150);
    state.live.parts.PartSteps[1][4] = {62, 70, 800};
    dialogs.scriptAnswer(platform::BoxAnswer::No);  // Save Changes?
    Bytes file = app::EncodeArrangement(state, 800);
    file.resize(100);
    {
        std::ofstream out(tarn("cut.QTR"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    dialogs.scriptFile(tarn("cut.QTR"));
    EXPECT_FALSE(form->OpenItemClick());
    ASSERT_FALSE(dialogs.boxes().empty());
    EXPECT_EQ(dialogs.boxes().back().text, tarn("cut.QTR") + " is not a valid arrangement file!");
    EXPECT_EQ(dialogs.boxes().back().caption, "WARNING");
    EXPECT_EQ(cell(5, 12), 96);
    EXPECT_TRUE(engineMatchesPattern());
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 12);
    EXPECT_EQ(tab->TempoBar->value(), 150);
    EXPECT_EQ(state.live.parts.PartSteps[1][4], (PartStep{62, 70, 800}));
    EXPECT_EQ(state.drums.Modified, 1);
}

TEST_F(ArrangementPages, NewAnsweredYesSavesBeforeItClears) {
    clickCell(12, 5);
    dialogs.scriptAnswer(platform::BoxAnswer::Yes);
    dialogs.scriptFile(tarn("kept.QTR"));
    tab->NewDrumsClick();
    EXPECT_EQ(cell(5, 12), 0);
    EXPECT_EQ(state.drums.Modified, 0);
    const Bytes saved = readFile(tarn("kept.QTR"));
    ASSERT_GE(saved.size(), 3u);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 3), (Bytes{5, 12, 96}));
}

// The program object itself wires exit's save offer to the setup page's save.
class ArrangementProgram : public testsupport::ProgramFixture {
  protected:
    platform::testing::LaunchLog launcher;
};

TEST_F(ArrangementProgram, ExitAnsweredYesWritesTheFile) {
    auto program = std::make_unique<app::QuintoraProgram>(*qApp, link, dialogs, launcher);
    const std::string path = (folder.path() / "TarnFile" / "exit.QTR").string();
    program->Run([&](app::QuintoraProgram& p) {
        QTimer::singleShot(0, [&p, this, path] {
            p.state().drums.DrumPattern[9][9] = 77;
            p.state().drums.Modified = 1;
            dialogs.scriptAnswer(platform::BoxAnswer::Yes);
            dialogs.scriptFile(path);
            p.pages().QuintoraForm->ExitItem->trigger();
        });
    });
    const Bytes saved = readFile(path);
    ASSERT_GE(saved.size(), 3u);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 3), (Bytes{9, 9, 77}));
}

}  // namespace
