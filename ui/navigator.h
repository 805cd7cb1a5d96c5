#pragma once
// What a page may ask of the other pages. A page never holds another folder's page: it asks
// here, and the program's page set carries the request out on the pages that exist (a request
// for a page not made, or already released, does nothing; a question answers false).
// User-interface thread only.

#include <QKeySequence>
#include <QString>

namespace app {
class ArrangementPages;
}

namespace ui {

class Navigator {
  public:
    virtual ~Navigator() = default;

    // The setup page.
    virtual void ShowSetupPage() = 0;
    // The setup page's COMBO: its device choices closed, the player stopped, on to the
    // accompaniment page.
    virtual void LeaveSetupForAccompaniment() = 0;
    // The keys of the setup page's menu items PANIC and Help that a page takes back when shown.
    virtual void SetPanicShortcut(const QKeySequence& keys) = 0;
    virtual void SetHelpShortcut(const QKeySequence& keys) = 0;
    // The setup page's PANIC.
    virtual void Panic() = 0;
    // The setup page's Open and Save: true when a file was read or written.
    virtual bool OpenArrangement() = 0;
    virtual bool SaveArrangement() = 0;
    // The start splash's end, after the start jingle: the splash gone, the engine's cell parked
    // again, the fresh program with no unsaved change.
    virtual void CloseStartSplash() = 0;

    // The MIDI file player page.
    virtual void ShowPlayerPage() = 0;

    // The drum tab: shown, its start and stop, its time signature switched once, its Midi
    // button (playing stopped and the import opened).
    virtual void ShowDrumTab() = 0;
    virtual void StartDrums() = 0;
    virtual void StopDrums() = 0;
    virtual void ToggleTimeSignature() = 0;
    virtual void ImportFromMidi() = 0;

    // The import pages: a fresh pair unless an import is running, then shown.
    virtual void OpenImport() = 0;

    // The accompaniment page.
    virtual void ShowAccompanimentPage() = 0;
    virtual void RefreshAccompanimentPage() = 0;
    // Its position display's bar caption, and its note buttons back to rest.
    virtual void ShowAccompanimentBar(const QString& bar) = 0;
    virtual void ResetAccompanimentNoteButtons() = 0;
    // Its stop and start, or the drum tab's while there is no accompaniment page.
    virtual void StopPlaying() = 0;
    virtual void StartPlaying() = 0;
    // Its NEW (which offers to save) and its part selection made again.
    virtual void NewAll() = 0;
    virtual void ReselectCurrentPart() = 0;

    // The input window: a note the keyboard played.
    virtual void ShowPlayedNote(int key, int pitchClass, int velocity, int channel) = 0;

    // The arrangement's controls on whichever pages exist, as opening and saving use them.
    virtual app::ArrangementPages& Arrangement() = 0;
};

}  // namespace ui
