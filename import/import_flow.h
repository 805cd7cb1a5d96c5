#pragma once
// The MIDI import's flow behind its two pages: the import page picks Drums or Instruments and a
// MIDI file, splits it, dumps and loads the wanted channels, lets the player choose the first of
// eight bars and try them (TRY), keep them (OK, through the arrangement file) or start again
// (NEW); the instrument chooser picks the source channel of each accompaniment part from one
// line per track of the split file.
//
// Every error ends the import with one message; the page then goes back to idle with the
// arrangement as it was (only the player's own NEW clears drums and parts). During the long
// steps the import page is disabled, so that no click starts a second step while the first one
// lets pending window messages run. User-interface thread only.

#include <array>
#include <string>
#include <vector>

#include "import/import_context.h"

namespace midiimport {

// The import page's controls as the flow leaves them; the page mirrors them on paint.
struct ConvertingControls {
    std::string Caption = "MIDI IMPORT";
    std::string Panel4 = "MIDI";  // the progress text
    bool ExtractDrumsEnabled = true;
    bool ExtractInstrumentsEnabled = true;
    bool WhichBarEnabled = false;
    std::string WhichBarText;  // "Try Bar", a bar number, or empty
    int WhichBarFontSize = 19;
    int WhichBarMin = 1;
    int WhichBarMax = 1;  // never below 1
    bool TryEnabled = false;
    bool DontKillEnabled = true;
    bool ExitEnabled = true;
    std::string DontKillCaption = "MANUAL";
    bool DontKillRed = true;  // black in AUTO
    bool Busy = false;        // a long step runs: the page takes no clicks
};

// What the flow asks of the pages around it, besides what the stages ask (ImportPages'
// toggleTimeSignature, applyBars, showTempo and processMessages).
class ImportFlowHost {
  public:
    virtual ~ImportFlowHost() = default;
    virtual void processMessages() = 0;
    virtual void toggleTimeSignature() = 0;
    virtual void applyBars() = 0;
    virtual void showTempo(int tempo) = 0;
    // The import page shows `controls` again.
    virtual void paint() = 0;
    // During a long step: the import page shows its progress text, and the program's windows
    // repaint, taking no input. Called often; the page may let calls pass that come too soon
    // after the last repaint.
    virtual void showProgress() = 0;
    // The accompaniment page's stop and start (the start is the drum tab's).
    virtual void stopPlaying() = 0;
    virtual void startPlaying() = 0;
    // The drum tab's NEW and the accompaniment page's NEW, each with its own save offer.
    virtual void newDrums() = 0;
    virtual void newAll() = 0;
    // The parts' defaults, and the accompaniment page's selector of CurrentPart.
    virtual void resetOrchestra() = 0;
    virtual void reselectCurrentPart() = 0;
    // The accompaniment page's file name panel.
    virtual void showFileName(const std::string& path) = 0;
    // The setup page's save of the arrangement; true when a file was written.
    virtual bool saveArrangement() = 0;
    // The instrument chooser: its four lists take `items`, then it shows; or it hides.
    virtual void showChooser(const std::vector<std::string>& items) = 0;
    virtual void showChooserAgain() = 0;  // shown with the lists as they are
    virtual void hideChooser() = 0;
    // Both import pages hidden, then released once pending messages are handled.
    virtual void releasePages() = 0;
};

inline constexpr const char* kNoDrums = "NO USEABLE DRUMS FOUND";
inline constexpr const char* kNoInstruments = "NO USEABLE INTSTRUMENTS FOUND";
inline constexpr const char* kBadChoice = "COMMENT OR BAD CHANNEL CHOSEN - CHOOSE AGAIN!";
inline constexpr const char* kSameChannels = "TWO OR MORE CHANNELS IDENTICAL - CHOOSE AGAIN!";
// The count of dump records that could not be read ("%d"), shown once per conversion.
inline constexpr const char* kUnreadNotes = "%d NOTES COULD NOT BE READ";

// The channel (1..16) a chooser line begins with; 0 when it begins with no such number.
int LineChannel(const std::string& line);

class ImportFlow final : private ImportPages {
  public:
    ImportFlow(ImportState& import, ImportTargets program, common::EngineLink& engine, drums::DrumOps& drums,
               platform::DialogService& dialogs, ImportFlowHost& host);

    ConvertingControls controls;

    // The page's handlers.
    void ExtractDrumsClick();
    void ExtractInstrumentsClick();
    // The bar spin's text changed (by the user or by the flow): its range, and FirstBar.
    void WhichBarChange(const std::string& text);
    void TryMidiImportClick();
    void ExitMidiExtractClick();
    void ABORTIMPORTClick();
    void DontKillBtnClick();
    // The chooser's OK with the lines selected in PianoList, StringsList, BrassList and
    // BassList (empty where nothing is selected).
    void ChooseButtonClick(const std::array<std::string, 4>& lines);

    // The reset after an abort: the page back to idle and the dump state cleared; drums, parts
    // and Modified stay as they are.
    void AbortImport();

  private:
    // ImportPages, for the stages.
    void processMessages() override { host_.processMessages(); }
    void showProgress(int percent) override;
    void resetImport() override { AbortImport(); }
    void toggleTimeSignature() override { host_.toggleTimeSignature(); }
    void applyBars() override { host_.applyBars(); }
    void showTempo(int tempo) override { host_.showTempo(tempo); }

    void ChooseMidiFile();
    void StartConversion(const std::string& path);
    bool ConvertToDump();
    void ResetDumpState();
    void PrepareInstrumentChoice();
    void RefuseChoice(const char* text);
    void ClearPartTexts();
    void ClearPartSteps();
    // The page's selector of CurrentPart, with the part's durations kept as they were imported.
    void ReselectKeepingDurations();
    // One box with the records the conversions since the last report could not read, if any.
    void ReportUnreadRecords();
    // The page's reset shared by NEW and the aborts.
    void ResetPage();
    // Shows the progress text and lets it paint.
    void Progress(const char* text);

    class BusyPage;

    ImportState& import_;
    ImportTargets program_;
    drums::DrumOps& drums_;
    ImportFlowHost& host_;
    ImportContext ctx_;
    std::array<std::string, 4> PartTexts;
    std::array<std::string, 4> chosen_;  // PianoLine, StringsLine, BrassLine, BassLine
    std::uint8_t ChoiceOk = 0;
    int busyDepth_ = 0;
    int unreadRecords_ = 0;
    std::string progressText_;  // the step's text, which the progress figure follows
};

}  // namespace midiimport
