#include "engine/engine.h"

namespace engine {

using platform::MMRESULT;

Engine::Engine(platform::Services& services) : services_(services) {}

Engine::~Engine() {
    shutdown();
}

void Engine::shutdown() {
    platform::TimerId taken = 0;
    {
        std::lock_guard lock(mutex_);
        if (EngineRunning) StopClock();
        EngineTimerId = 0;
        if (EngineOut) CloseOut();
        std::swap(taken, takenId_);
    }
    // A step the timer thread had already taken finds its id gone and does nothing, but it
    // needs the lock to find out: wait for it (without holding the lock) before the memory goes.
    if (taken) services_.timer().killAndWait(taken);
}

void Engine::Params(std::uint8_t channel, std::uint8_t drumChannel, std::uint8_t cellValue,
                    std::uint8_t /*midiIn*/, std::uint8_t midiOutDevice, std::uint8_t aux,
                    std::uint32_t tempo, std::uint8_t /*spare*/, std::uint8_t step, std::uint8_t drum,
                    std::uint8_t command) {
    std::lock_guard lock(mutex_);
    EngineChannel = channel;
    EngineDrumChannel = drumChannel;
    EngineOutDevice = static_cast<std::int8_t>(midiOutDevice);
    EngineAux = aux;
    EngineTempo = tempo;
    EngineLastCommand = command;

    // Every call is a cell write. Drum is taken unsigned: 0..255 all lie inside the 300 columns.
    EngineGrid[step][drum] = static_cast<std::int8_t>(cellValue);

    if (command >= 1 && command <= 8) {
        EngineLoopEnd = command == 8 ? 255 : 32 * command;
        return;
    }
    switch (command) {
        case CmdPan:
            send((0xB0u + EngineChannel) + 0x0A00u + std::uint32_t{EngineAux} * 0x10000u);
            break;
        case CmdStopPanic:
            EngineStopped = 1;
            StopClock();
            Panic();
            break;
        case CmdCloseOut:
            CloseOut();
            break;
        case CmdOpenOut:
            OpenOut();
            break;
        case CmdStrictTiming:
            EngineJitter = 0;
            break;
        case CmdJitterTiming:
            EngineJitter = 1;
            break;
        case CmdStop:
            StopClock();
            break;
        case CmdClearGrid:
            ClearGrid();
            break;
        case CmdStart:
            EngineStep = 1;
            EngineStopped = 0;
            StartClock();  // while running this only moved the position back to step 1
            break;
        case CmdDrumPan:
            if (drum < kPanCount) EnginePans[drum] = aux;
            break;
        case CmdMeter:
            EngineWaltz = aux == 1 ? 0 : 1;
            break;
        default:
            break;
    }
}

int Engine::ShortMidiMsg(int first, int data1, int data2) {
    std::lock_guard lock(mutex_);
    // Packed in unsigned arithmetic; the arguments are not masked (a stray value makes a
    // malformed message, which the output refuses).
    const std::uint32_t packed = static_cast<std::uint32_t>(first) + 0x80u +
                                 static_cast<std::uint32_t>(data1) * 0x100u +
                                 static_cast<std::uint32_t>(data2) * 0x10000u;
    return static_cast<int>(send(packed));
}

int Engine::MessagePost(HWND window) {
    std::lock_guard lock(mutex_);
    EngineWindow = window;
    return 0;
}

MMRESULT Engine::send(std::uint32_t packed) {
    if (!EngineOut) return platform::MMSYSERR_INVALHANDLE;
    return services_.midiOut().shortMsg(EngineOut, packed);
}

bool Engine::openPort() {
    platform::HMIDIOUT h = nullptr;
    if (services_.midiOut().open(&h, EngineOutDevice) != platform::MMSYSERR_NOERROR) return false;
    EngineOut = h;
    heldDevice_ = EngineOutDevice;
    return true;
}

void Engine::OpenOut() {
    if (EngineOutOpen == 1) {
        ResetOut();
        return;
    }
    // A port the panic opened on the same device is taken over; one on another device is
    // closed first, so that the engine never holds two ports.
    if (EngineOut && heldDevice_ != EngineOutDevice) {
        services_.midiOut().close(EngineOut);
        EngineOut = nullptr;
    }
    if (!EngineOut && !openPort()) return;
    ResetOut();
    EngineOutOpen = 1;
}

void Engine::ResetOut() {
    if (EngineOut) services_.midiOut().reset(EngineOut);
}

MMRESULT Engine::CloseOut() {
    MMRESULT r = platform::MMSYSERR_INVALHANDLE;
    if (EngineOut) r = services_.midiOut().close(EngineOut);
    EngineOut = nullptr;
    EngineOutOpen = 0;
    return r;
}

void Engine::ClearGrid() {
    for (auto& row : EngineGrid) row.fill(0);
    EnginePans.fill(64);
}

Engine::Snapshot Engine::snapshot() {
    std::lock_guard lock(mutex_);
    return Snapshot{EngineChannel, EngineDrumChannel, EngineAux,    EngineLastCommand, EngineOutOpen,
                    EngineWaltz,   EngineRunning,     EngineResume, EngineOutDevice,   EngineTempo,
                    EngineStep,    EngineLoopEnd,     EngineJitter, EngineStopped,     EngineOut != nullptr,
                    EngineWindow};
}

std::int32_t Engine::cell(int step, int drum) {
    std::lock_guard lock(mutex_);
    return EngineGrid.at(static_cast<std::size_t>(step)).at(static_cast<std::size_t>(drum));
}

std::int32_t Engine::pan(int drum) {
    std::lock_guard lock(mutex_);
    return EnginePans.at(static_cast<std::size_t>(drum));
}

}  // namespace engine
