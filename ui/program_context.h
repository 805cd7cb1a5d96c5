#pragma once
// What every page is handed: the program-wide state, the services around it, and the navigator
// through which it asks for other pages. The pages keep the reference for their whole life.

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "drums/drum_pattern.h"
#include "drums/transport.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "program/program_state.h"
#include "program/save_offer.h"
#include "ui/navigator.h"

namespace ui {

struct ProgramContext {
    app::ProgramState& state;
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
