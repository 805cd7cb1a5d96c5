#pragma once
// The program's pages and what every page is handed: the program-wide state and the services
// around it. One instance of each page, created in a fixed order by the program; a pointer is
// null before its page is created and after it is released.

#include <QPointer>

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "program/program_state.h"
#include "program/save_offer.h"
#include "drums/drum_pattern.h"
#include "drums/transport.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"

namespace drums {
class TDrumTab;
class TDrumsGrid;
class TChangeDrum;
}  // namespace drums

namespace app {

class TQuintoraForm;
class TMidCheckForm;
class TOrchestraForm;
class TMidiForm;
class TAccompanyForm;
class TConverting;
class TInstListForm;
class TMidiSplash;
class TEndSplash;
class TAboutBox;

struct Pages {
    QPointer<TQuintoraForm> QuintoraForm;
    QPointer<drums::TDrumsGrid> DrumsGrid;
    QPointer<drums::TDrumTab> DrumTab;
    QPointer<drums::TChangeDrum> ChangeDrum;  // made by the drum tab's DRUM LIST, owned by it
    QPointer<TMidCheckForm> MidCheckForm;
    QPointer<TOrchestraForm> OrchestraForm;
    QPointer<TMidiForm> MidiForm;
    QPointer<TAccompanyForm> AccompanyForm;
    QPointer<TConverting> Converting;
    QPointer<TInstListForm> InstListForm;
    // The splash screens and the About box, while each stands.
    QPointer<TMidiSplash> MidiSplash;
    QPointer<TEndSplash> EndSplash;
    QPointer<TAboutBox> AboutBox;
};

struct ProgramContext {
    ProgramState& state;
    common::EngineLink& engine;
    platform::DialogService& dialogs;
    common::MidiDevices& devices;
    drums::DrumOps& drums;
    drums::Transport& transport;
    SaveOffer& save;
    Pages& pages;
    platform::Launcher& launcher;  // opens the help pages
};

}  // namespace app
