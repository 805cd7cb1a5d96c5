#pragma once
// The engine behind the five exports: output device, pattern copy, pans and step clock.
//
// Thread contract: the public calls come from the user-interface thread; step events run on
// the timer service's thread. One mutex guards all state: it is held for each call and each
// step, and a step event whose id is no longer the armed one does nothing, so a stopped clock
// stays stopped and there is never a second chain of events. The destructor waits for a step
// the timer thread has already taken, so no step runs on a destroyed engine.

#include <array>
#include <cstdint>
#include <mutex>
#include <random>

#include "engine/engine_commands.h"
#include "platform/services.h"

namespace engine {

class Engine {
  public:
    explicit Engine(platform::Services& services);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void Params(std::uint8_t channel, std::uint8_t drumChannel, std::uint8_t cellValue,
                std::uint8_t midiInDevice, std::uint8_t midiOutDevice, std::uint8_t aux, std::uint32_t tempo,
                std::uint8_t spare, std::uint8_t step, std::uint8_t drum, std::uint8_t command);
    int ShortMidiMsg(int first, int data1, int data2);
    void MidiPanic();
    int MidiOutTest();
    int MessagePost(HWND window);

    // Stops the clock, closes the device and waits for a step the timer thread has already
    // taken; the destructor and the library's unload call it. Never on the timer thread.
    void shutdown();

    // A consistent copy of the state, for tests and diagnostics.
    struct Snapshot {
        std::uint8_t channel, drumChannel, aux, lastCommand, outOpen, waltz, running, resume;
        std::int8_t outDevice;
        std::uint32_t tempo;
        std::int32_t step, loopEnd, jitter, stopped;
        bool portHeld;
        HWND window;
    };
    Snapshot snapshot();
    std::int32_t cell(int step, int drum);
    std::int32_t pan(int drum);

  private:
    // Internal operations; the caller holds mutex_.
    void OpenOut();
    void ResetOut();
    platform::MMRESULT CloseOut();
    void ClearGrid();
    void StartClock();
    void StopClock();
    void SkipWaltzBeat();
    void Panic();
    void StepTimerProc(platform::TimerId id);
    platform::MMRESULT send(std::uint32_t packed);
    bool openPort();  // opens EngineOutDevice into EngineOut; no flag changes
    std::chrono::nanoseconds stepPeriod(std::uint32_t numerator) const;
    void armNext(platform::SteadyTime deadline);
    static void timerThunk(platform::TimerId id, void* self);

    platform::Services& services_;
    std::mutex mutex_;

    std::uint8_t EngineChannel = 0;
    std::uint8_t EngineDrumChannel = 9;
    std::int8_t EngineOutDevice = -1;
    std::uint8_t EngineAux = 0;
    std::uint32_t EngineTempo = 120;
    std::uint8_t EngineLastCommand = 0;
    std::array<std::array<std::int32_t, kGridSize>, kGridSize> EngineGrid{};
    std::array<std::int32_t, kPanCount> EnginePans{};
    platform::HMIDIOUT EngineOut = nullptr;  // held port, or nullptr
    std::uint8_t EngineOutOpen = 0;
    HWND EngineWindow = nullptr;

    std::int32_t EngineStep = 1;
    std::int32_t EngineLoopEnd = 256;
    std::int32_t EngineJitter = 0;
    std::uint8_t EngineWaltz = 0;
    std::int32_t EngineStopped = 1;
    std::uint8_t EngineRunning = 0;
    std::uint8_t EngineResume = 0;
    platform::TimerId EngineTimerId = 0;
    platform::TimerId takenId_ = 0;  // an event the stop could not cancel: its step may be under way

    int heldDevice_ = 0;                 // device of EngineOut while held
    platform::SteadyTime deadline_{};    // when the pending step was due
    std::minstd_rand random_{20260101};  // the jitter's draws
};

}  // namespace engine
