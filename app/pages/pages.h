#pragma once
// The program's pages and what the shell's own pages are handed. One instance of each page,
// created in a fixed order by the page wiring; a pointer is null before its page is created and
// after it is released. The drum and import pages reach their own kind through the parts of
// this set that their folders define, and every other page through the navigator.

#include <QPointer>

#include "accompaniment/pages/orchestra_page_context.h"
#include "drums/pages/drum_pages.h"
#include "import/pages/import_pages.h"
#include "program/program_state.h"
#include "ui/program_context.h"

namespace accompaniment {
class TOrchestraForm;
}
namespace player {
class TMidiForm;
}

namespace app {

class TQuintoraForm;
class TMidCheckForm;
class TAccompanyForm;
class TMidiSplash;
class TEndSplash;
class TAboutBox;

// The drum tab, the drum grid and the DRUM LIST (drums::DrumPages); the import page and its
// instrument chooser (midiimport::ImportPagePair).
struct Pages : drums::DrumPages, midiimport::ImportPagePair {
    QPointer<TQuintoraForm> QuintoraForm;
    QPointer<TMidCheckForm> MidCheckForm;
    QPointer<accompaniment::TOrchestraForm> OrchestraForm;
    QPointer<player::TMidiForm> MidiForm;
    QPointer<TAccompanyForm> AccompanyForm;
    // The splash screens and the About box, while each stands.
    QPointer<TMidiSplash> MidiSplash;
    QPointer<TEndSplash> EndSplash;
    QPointer<TAboutBox> AboutBox;
};

// The contexts of the page set, made from the program's state and the services around it. The
// shell's own pages (setup, input window, splashes and About box, the arrangement's page
// controls) work over the whole state and the whole page set: start-up, exit and the arrangement
// file reach every part. Every other page is handed the context of its family: the shared block
// (the player page and the input display need no more), or that and its family's parts.
struct ShellContext : ui::ProgramContext {
    ShellContext(ProgramState& state, common::EngineLink& engine, platform::DialogService& dialogs,
                 common::MidiDevices& devices, drums::DrumOps& drums, drums::Transport& transport,
                 SaveOffer& save, ui::Navigator& navigator, platform::Launcher& launcher, Pages& pages);

    ProgramState& state;
    Pages& pages;
    drums::DrumPagesContext drumContext;
    accompaniment::OrchestraPageContext orchestraContext;
    midiimport::ImportPagesContext importContext;
};

}  // namespace app
