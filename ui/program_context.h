#pragma once
// What every page is handed: the shared block of the program's state (the engine's block, the
// shell's bookkeeping, the open devices), the services around it, and the navigator through
// which it asks for other pages. A page family that reads and writes more of the state is handed
// a context that adds its own parts (the drum pages', the accompaniment page's, the import
// page's); the state itself stays one object, owned by the program. The pages keep the reference
// for their whole life.

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "common/program_wide.h"
#include "drums/drum_pattern.h"
#include "drums/transport.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "program/save_offer.h"
#include "ui/navigator.h"

namespace ui {

struct ProgramContext {
    common::ProgramWide& wide;
    common::EngineLink& engine;
    platform::DialogService& dialogs;
    common::MidiDevices& devices;
    drums::DrumOps& drums;
    drums::Transport& transport;
    app::SaveOffer& save;
    Navigator& navigator;
    platform::Launcher& launcher;  // opens the help pages
};

}  // namespace ui
