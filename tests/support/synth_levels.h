#pragma once
// Levels of the built-in synth on rendered audio: a song's messages sent to an in-process synth
// (BuiltinSynth with Audio::None, so it carries exactly the settings the product's synth has)
// between blocks of samples pulled from it, and the peak and the full-scale samples counted.
// For tests and benchmarks. One thread.

#include <cstddef>
#include <string>

#include "platform/backends/builtin_synth.h"
#include "player/song.h"

namespace testsupport {

using platform::BuiltinSynth;

struct AudioLevels {
    float peak = 0;           // the largest |sample| of either channel
    std::size_t clipped = 0;  // samples of either channel at or beyond full scale (|x| >= 1)
    std::size_t samples = 0;  // samples rendered, both channels counted
};

// Sends the song's events (short and exclusive) to `synth` at their times and renders
// `seconds` of audio from its start, at the synth's sample rate.
AudioLevels RenderSongLevels(BuiltinSynth& synth, const player::Song& song, double seconds);

// A dense General MIDI song of `seconds` seconds: fifteen instrument channels with chords and
// runs at their GM programs, volumes and effect sends, accents falling together on every beat,
// and a drum kit on channel 10. Format 1, written by the program's MIDI writer.
bool WriteDenseGmSong(const std::string& path, int seconds);

// One drum hit (a GM percussion key on channel 10 at `velocity`), then silence.
bool WriteSingleDrum(const std::string& path, int key, int velocity);

}  // namespace testsupport
