// The five exports over the one process-wide engine.

#include "engine/Plenwick.h"

#include "engine/engine.h"

namespace {

// The engine lives as long as the process; unloading stops the clock, waits for a step already
// under way and closes the device.
struct EngineHolder {
    engine::Engine* engine = new engine::Engine(platform::services());
    ~EngineHolder() { engine->shutdown(); }
};

engine::Engine& theEngine() {
    static EngineHolder holder;
    return *holder.engine;
}

// Made at load time, so that the holder is torn down before the services it uses.
[[maybe_unused]] const bool loaded = (theEngine(), true);

std::uint8_t u8(char c) {
    return static_cast<std::uint8_t>(c);
}

}  // namespace

extern "C" {

void Params(char channel, char drumChannel, char cellValue, char midiInDevice, char midiOutDevice, char aux,
            unsigned int tempo, char spare, char step, char drum, char command) {
    theEngine().Params(u8(channel), u8(drumChannel), u8(cellValue), u8(midiInDevice), u8(midiOutDevice),
                       u8(aux), tempo, u8(spare), u8(step), u8(drum), u8(command));
}

int ShortMidiMsg(int first, int data1, int data2) {
    return theEngine().ShortMidiMsg(first, data1, data2);
}

void MidiPanic(void) {
    theEngine().MidiPanic();
}

int MidiOutTest(void) {
    return theEngine().MidiOutTest();
}

int MessagePost(struct HWND__* window) {
    return theEngine().MessagePost(window);
}

}  // extern "C"
