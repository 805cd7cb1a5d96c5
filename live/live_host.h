#pragma once
// What live MIDI input asks of the program beyond the accompaniment: the played-note display
// and the orchestra page's current-instrument caption. User-interface thread.

#include <cstdint>

#include "accompaniment/accompaniment_host.h"

namespace live {

class LiveHost : public accompaniment::AccompanimentHost {
  public:
    // The note display: the key number as text, and the key lit by class, velocity, channel.
    virtual void ShowPlayedNote(int key, int pitchClass, int velocity, int channel) = 0;
    // The orchestra page's caption of the instrument last chosen on the keyboard.
    virtual void ShowCurrentInstrument(int program) = 0;
};

}  // namespace live
