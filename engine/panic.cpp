#include "engine/engine.h"

namespace engine {

void Engine::MidiPanic() {
    std::lock_guard lock(mutex_);
    Panic();
}

void Engine::Panic() {
    ResetOut();
    EngineLastCommand = CmdStop;
    // Reach the device whether or not it is open, without ever holding a second port.
    if (!EngineOut) openPort();
    send(0x7B39);  // a data-only packet: refused by the output, kept for its place in the order
    for (std::uint32_t c = 0; c < 16; ++c) {
        send((0x80u + c) + std::uint32_t{EngineAux} * 0x100u);
        send((0x90u + c) + std::uint32_t{EngineAux} * 0x100u);
        send((0xB0u + c) + 0x7B00u);
        send((0xB0u + c) + 0x7900u);
    }
    ResetOut();
    if (EngineStopped != 1) {
        EngineResume = 1;
        StartClock();
    }
    EngineLastCommand = 0;
}

int Engine::MidiOutTest() {
    std::lock_guard lock(mutex_);
    EngineAux = 60;
    StopClock();
    OpenOut();
    send((0xB0u + EngineChannel) + 0x7B00u);
    send((0xB0u + EngineChannel) + 0x7900u);
    send(0x79);  // a lone data byte: refused by the output
    static constexpr std::uint8_t kSteps[4] = {4, 3, 5, 4};
    for (std::uint8_t step : kSteps) {
        send((0x90u + EngineChannel) + std::uint32_t{EngineAux} * 0x100u + 100u * 0x10000u);
        EngineAux = static_cast<std::uint8_t>(EngineAux + step);
        services_.clock().waitMs(50);
    }
    return static_cast<int>(CloseOut());
}

}  // namespace engine
