#include "program/accompaniment_playing.h"

#include "accompaniment/chord_follower.h"

namespace app {

void AccompanimentPlaying::PlayStarting() {
    accompaniment::PlayingStarted(live_.chord, live_.players);
}

void AccompanimentPlaying::PlayStarted() {
    live_.chord.AccompanimentRunning = 1;
}

void AccompanimentPlaying::PlayStopping() {
    live_.chord.AccompanimentRunning = 0;
    accompaniment::PlayingStopped(live_.chord);
}

void AccompanimentPlaying::EngineStopped() {
    live_.chord.AccompanimentRunning = 0;
}

}  // namespace app
