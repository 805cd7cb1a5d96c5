#include "import/import_flow.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "accompaniment/part_data.h"
#include "common/folders.h"
#include "import/bar_dump.h"
#include "import/dump_parser.h"
#include "import/split.h"
#include "live/transposition.h"
#include "midifile/tracker.h"

namespace midiimport {

namespace {

constexpr std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

// A whole decimal number; `fallback` for anything else.
int NumberOr(const std::string& text, int fallback) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end ? value : fallback;
}

}  // namespace

int LineChannel(const std::string& line) {
    int channel = 0;
    std::size_t i = 0;
    for (; i < line.size() && i < 3 && line[i] >= '0' && line[i] <= '9'; ++i)
        channel = channel * 10 + (line[i] - '0');
    if (i == 0 || (i < line.size() && line[i] >= '0' && line[i] <= '9')) return 0;
    return channel >= 1 && channel <= 16 ? channel : 0;
}

// Keeps the import page disabled while a long step runs; steps may nest.
class ImportFlow::BusyPage {
  public:
    explicit BusyPage(ImportFlow& flow) : flow_(flow) {
        if (flow_.busyDepth_++ == 0) {
            flow_.controls.Busy = true;
            flow_.host_.paint();
        }
    }
    ~BusyPage() {
        if (--flow_.busyDepth_ == 0) {
            flow_.controls.Busy = false;
            flow_.host_.paint();
        }
    }
    BusyPage(const BusyPage&) = delete;
    BusyPage& operator=(const BusyPage&) = delete;

  private:
    ImportFlow& flow_;
};

ImportFlow::ImportFlow(ImportState& import, ImportTargets program, common::EngineLink& engine,
                       drums::DrumOps& drums, platform::DialogService& dialogs, ImportFlowHost& host)
    : import_(import), program_(program), drums_(drums), host_(host), ctx_{import,  program, engine, drums,
                                                                           dialogs, *this,   stderr} {
    // The mode outlives the pages: a new import page shows the one in force.
    const bool manual = import_.split.ModeSign > 0;
    controls.DontKillCaption = manual ? "MANUAL" : "AUTO ";
    controls.DontKillRed = manual;
}

// --- Drums and Instruments ----------------------------------------------------------------------

void ImportFlow::ExtractDrumsClick() {
    MidiDrumState& s = import_.split;
    s.FileError = 0;
    s.ImportRunning = 1;
    s.InstrumentMode = 0;
    s.TargetChannel = kDrumChannel;
    s.WantedChannel = kDrumChannel;
    import_.dump.ImportPart = kPartDrums;
    controls.WhichBarEnabled = false;
    host_.paint();
    ChooseMidiFile();
}

void ImportFlow::ExtractInstrumentsClick() {
    MidiDrumState& s = import_.split;
    s.FileError = 0;
    s.ImportRunning = 1;
    s.InstrumentMode = 1;
    s.TargetChannel = kDrumChannel;
    controls.WhichBarEnabled = false;
    host_.paint();
    ChooseMidiFile();
}

void ImportFlow::ChooseMidiFile() {
    platform::FileDialogRequest request;
    request.title = "Open Midi File";
    request.filter = "MIDI (*.MID)";
    request.defaultExt = "MID";
    const std::optional<std::string> path = ctx_.dialogs.openFile(request);
    if (!path) return;
    common::SelectFolder(program_.wide.shell, common::kProgramFolderRequest);
    ResetDumpState();
    controls.ExtractDrumsEnabled = false;
    controls.ExtractInstrumentsEnabled = false;
    host_.paint();
    StartConversion(*path);
}

void ImportFlow::StartConversion(const std::string& path) {
    BusyPage busy(*this);
    MidiDrumState& s = import_.split;
    s.ImportAborted = 0;
    s.InputPath = path;
    host_.showFileName(path);
    controls.Caption = "Converting from: " + path;
    s.SplitPath = kSplitFileName;
    Progress("Extracting");
    // The split removes the temporary files of any earlier conversion first.
    SplitMidiFile(ctx_);
    // An abort has shown its one message and reset the page already.
    if (s.ImportAborted != 0) return;
    if (s.FileError != 0) {
        AbortImport();
        return;
    }
    if (s.InstrumentMode == 1) {
        PrepareInstrumentChoice();
    } else {
        unreadRecords_ = 0;
        if (ConvertToDump()) ReportUnreadRecords();
    }
}

void ImportFlow::ReportUnreadRecords() {
    if (unreadRecords_ <= 0) return;
    char text[64];
    std::snprintf(text, sizeof text, kUnreadNotes, unreadRecords_);
    unreadRecords_ = 0;
    ImportBox(ctx_, text, "INFORMATION");
}

bool ImportFlow::ConvertToDump() {
    MidiDrumState& s = import_.split;
    DumpState& d = import_.dump;
    if (s.InstrumentMode == 0) {
        d.DumpChannels.fill(0);
        d.DumpChannels[at(s.WantedChannel & 0x0F)] = 1;
    }
    Progress("Converting");
    common::SelectFolder(program_.wide.shell, common::kProgramFolderRequest);
    std::remove(kDumpFileName);
    if (!WriteImportDump(ctx_)) return false;  // reported and reset
    LoadImportDump(ctx_);
    if (s.ImportAborted != 0) return false;
    if (d.DumpLoaded == 0) {
        ImportBox(ctx_, s.InstrumentMode == 1 ? kNoInstruments : kNoDrums, "ERROR");
        s.ImportAborted = 1;
        AbortImport();
        return false;
    }
    unreadRecords_ += d.UnreadRecords;
    progressText_.clear();
    controls.Panel4 = "READY";
    controls.WhichBarFontSize = 30;
    WhichBarChange("8");
    controls.TryEnabled = true;
    controls.WhichBarEnabled = true;
    host_.paint();
    return true;
}

void ImportFlow::ResetDumpState() {
    DumpState& d = import_.dump;
    d.TextLength = 0;
    d.HighestBar = 0;
    d.DumpLoaded = 0;
    controls.TryEnabled = false;
    controls.WhichBarEnabled = false;
    controls.WhichBarFontSize = 19;
    WhichBarChange("Try Bar");
    controls.Panel4.clear();
}

// --- The instrument chooser -----------------------------------------------------------------------

void ImportFlow::PrepareInstrumentChoice() {
    // The parts come from the chosen tracks alone: drums and parts start empty (each NEW offers
    // to save what is there).
    host_.newDrums();
    host_.newAll();
    common::SelectFolder(program_.wide.shell, common::kProgramFolderRequest);
    std::vector<std::string> items;
    bool abandoned = false;
    {
        midifile::MidiTrackinfo::Hooks hooks;
        hooks.addBrassListItem = [&items](const std::string& line) { items.push_back(line); };
        hooks.abortImport = [&abandoned] { abandoned = true; };
        midifile::MidiTrackinfo survey(import_.split.SplitPath.c_str(), ctx_.dialogs, hooks);
        if (survey.FileHandle() != nullptr) {
            items.push_back(survey.DescriptionLine());  // the empty first line: nothing chosen
            survey.ClearDescriptionLine();
            if (!survey.DescribeAll(false)) abandoned = true;
        }
    }
    if (abandoned) {  // the survey has shown why
        import_.split.ImportAborted = 1;
        AbortImport();
        return;
    }
    host_.showChooser(items);
}

void ImportFlow::RefuseChoice(const char* text) {
    for (auto& line : chosen_) line.clear();
    ImportBox(ctx_, text, "ERROR");
    host_.showChooserAgain();
    ChoiceOk = 0;
}

void ImportFlow::ChooseButtonClick(const std::array<std::string, 4>& lines) {
    BusyPage busy(*this);
    MidiDrumState& s = import_.split;
    DumpState& d = import_.dump;
    host_.processMessages();
    s.PartConverted.fill(0);
    host_.resetOrchestra();
    host_.hideChooser();
    d.ImportPart = 0;
    ChoiceOk = 0;
    ClearPartTexts();

    bool refused = false;
    for (int i = 0; i < 4; ++i) {
        chosen_[at(i)] = lines[at(i)];
        if (chosen_[at(i)].empty()) continue;
        const int channel = LineChannel(chosen_[at(i)]);
        if (channel == 0 || channel == kDrumChannel + 1) {
            RefuseChoice(kBadChoice);
            refused = true;
            continue;
        }
        ChoiceOk = 1;
    }
    if (std::all_of(chosen_.begin(), chosen_.end(), [](const std::string& l) { return l.empty(); })) {
        // Nothing chosen: start again. After a refusal the chooser is up again for a new choice,
        // and a reset would leave that choice nothing to convert.
        if (!refused) ABORTIMPORTClick();
        return;
    }
    for (int i = 0; i < 4 && ChoiceOk == 1; ++i)
        for (int j = i + 1; j < 4; ++j)
            if (!chosen_[at(i)].empty() && !chosen_[at(j)].empty() &&
                LineChannel(chosen_[at(i)]) == LineChannel(chosen_[at(j)])) {
                RefuseChoice(kSameChannels);
                break;
            }
    if (ChoiceOk != 1) return;

    const std::array<std::string, 4> chosen = chosen_;
    unreadRecords_ = 0;
    for (int i = 0; i < 4; ++i) {
        if (chosen[at(i)].empty()) continue;
        d.ImportPart = static_cast<std::uint8_t>(i + 1);
        ResetDumpState();
        d.DumpChannels.fill(0);
        d.DumpChannels[at(LineChannel(chosen[at(i)]) - 1)] = 1;
        if (!ConvertToDump()) return;  // one message; the rest is not converted
        PartTexts[at(i)] = d.WorkText;
        s.PartConverted[at(i)] = 1;
    }
    ReportUnreadRecords();  // once for all the parts
}

// --- Bars, TRY, OK, NEW, MANUAL/AUTO --------------------------------------------------------------

void ImportFlow::WhichBarChange(const std::string& text) {
    controls.WhichBarText = text;
    controls.WhichBarMax = std::max(1, import_.dump.HighestBar - (kImportBars - 1));
    controls.WhichBarMin = 1;
    import_.dump.FirstBar = NumberOr(text, 1);
}

void ImportFlow::ClearPartTexts() {
    for (auto& t : PartTexts) t.clear();
}

void ImportFlow::ClearPartSteps() {
    for (auto& table : program_.live.parts.PartSteps)
        for (std::size_t s = 0; s < 256; ++s) table[s] = {};
}

void ImportFlow::ReselectKeepingDurations() {
    // The selector's refresh gives every step of the part it shows the duration bar's duration;
    // a tried part keeps the lengths it was imported with, in the part and in the page's grid,
    // which the page's next edit commits to the part. (The selector keeps the velocities itself.)
    accompaniment::PartData& parts = program_.live.parts;
    const int current = parts.CurrentPart;
    if (current < 1 || current > accompaniment::kParts) {
        host_.reselectCurrentPart();
        return;
    }
    auto& table = parts.PartSteps[at(current - 1)];
    std::array<std::int32_t, accompaniment::kSteps> durations{};
    for (std::size_t s = 0; s < accompaniment::kSteps; ++s) durations[s] = table[s].duration;
    host_.reselectCurrentPart();
    for (std::size_t s = 0; s < accompaniment::kSteps; ++s) {
        table[s].duration = durations[s];
        parts.GridDurations[s] = durations[s];
    }
}

void ImportFlow::Progress(const char* text) {
    progressText_ = text;
    controls.Panel4 = text;
    host_.paint();
    host_.processMessages();
}

void ImportFlow::showProgress(int percent) {
    if (progressText_.empty()) return;
    controls.Panel4 = progressText_ + " " + std::to_string(percent) + "%";
    host_.showProgress();
}

void ImportFlow::TryMidiImportClick() {
    BusyPage busy(*this);
    MidiDrumState& s = import_.split;
    DumpState& d = import_.dump;
    host_.stopPlaying();
    common::SelectFolder(program_.wide.shell, common::kProgramFolderRequest);
    std::remove(kSplitFileName);
    if (controls.WhichBarText.empty()) WhichBarChange("1");
    controls.WhichBarEnabled = false;
    // A drum import's NEW may offer to save the arrangement: the parts go only after that offer,
    // so that a save keeps them.
    if (s.InstrumentMode == 1) ClearPartSteps();
    controls.TryEnabled = false;
    Progress("Importing");
    if (s.InstrumentMode == 1) {
        controls.TryEnabled = true;
        for (int p = 0; p < 4; ++p) {
            if (s.PartConverted[at(p)] == 0) continue;
            d.WorkText = PartTexts[at(p)];
            d.TextLength = static_cast<std::int32_t>(d.WorkText.size());
            d.ImportPart = static_cast<std::uint8_t>(p + 1);
            ParseImportDump(ctx_);
        }
        live::NormaliseToC(program_.live.parts, program_.live.transposition, import_.ManualImport != 0);
    } else {
        host_.newDrums();
        ClearPartSteps();
        ParseImportDump(ctx_);
    }
    controls.WhichBarEnabled = true;
    controls.TryEnabled = true;
    controls.DontKillEnabled = true;
    controls.ExitEnabled = true;
    progressText_.clear();
    controls.Panel4 = "MIDI";
    host_.paint();
    program_.live.parts.CurrentPart = 1;
    ReselectKeepingDurations();
    drums_.ParkEngineCell();
    host_.startPlaying();
}

void ImportFlow::ExitMidiExtractClick() {
    BusyPage busy(*this);
    host_.processMessages();
    host_.stopPlaying();
    host_.saveArrangement();
    host_.stopPlaying();
    import_.split.ImportRunning = 0;
    host_.releasePages();
}

void ImportFlow::ResetPage() {
    progressText_.clear();
    controls.Caption = "MIDI IMPORT";
    controls.Panel4 = "MIDI";
    host_.stopPlaying();
    controls.ExtractDrumsEnabled = true;
    controls.ExtractInstrumentsEnabled = true;
    controls.WhichBarMin = 1;
    controls.WhichBarEnabled = false;
    ClearPartTexts();
    import_.split.ImportAborted = 1;
    ResetDumpState();
    host_.paint();
    DontKillBtnClick();
    if (import_.split.ModeSign < 0) DontKillBtnClick();
}

void ImportFlow::ABORTIMPORTClick() {
    ResetPage();
    host_.newDrums();
    host_.newAll();
    program_.drums.Modified = 0;
}

void ImportFlow::AbortImport() {
    ResetPage();
    // Whatever stage failed, nothing reads the split file any more.
    common::SelectFolder(program_.wide.shell, common::kProgramFolderRequest);
    std::remove(kSplitFileName);
}

void ImportFlow::DontKillBtnClick() {
    MidiDrumState& s = import_.split;
    s.ModeSign = -s.ModeSign;
    const bool manual = s.ModeSign > 0;
    controls.DontKillCaption = manual ? "MANUAL" : "AUTO ";
    controls.DontKillRed = manual;
    import_.ManualImport = manual ? 1 : 0;
    host_.paint();
}

}  // namespace midiimport
