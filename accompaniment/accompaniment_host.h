#pragma once
// What the accompaniment asks of the program around it: the MIDI output, the transport, the
// page's lights and boxes, and the four part timers. The program implements it over the
// engine and the pages; tests record the calls. User-interface thread only.

#include <cstdint>

namespace accompaniment {

class AccompanimentHost {
  public:
    virtual ~AccompanimentHost() = default;
    // One short message through the engine: status - 0x80, data 1, data 2.
    virtual int ShortMidiMsg(int first, int data1, int data2) = 0;
    // The accompaniment page's start (the transport's start of playing).
    virtual void StartPlaying() = 0;
    // The accompaniment page's stop followed by the drum tab's stop.
    virtual void StopPlaying() = 0;
    // The setup page's PANIC with the accompaniment page as sender.
    virtual void Panic() = 0;
    // The beat light: blue or yellow.
    virtual void ShowBeat(bool blue) = 0;
    // A stop beep and the error box with text and caption "ERROR".
    virtual void ErrorBox(const char* text) = 0;
    // One-shot release timer of part 0..3; arming replaces a pending one.
    virtual void ArmPartTimer(int part, std::int32_t ms) = 0;
    virtual void DisarmPartTimer(int part) = 0;
};

}  // namespace accompaniment
