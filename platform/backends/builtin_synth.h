#pragma once
// The built-in General MIDI synth behind device -1: FluidSynth with a GM SoundFont. It never
// makes anything fail: without a SoundFont or an audio driver it accepts every message and
// stays silent, and says so once on stderr.
//
// Loudness: the gain lets a single drum of a pattern be heard clearly, and a peak limiter on
// the output keeps dense songs below full scale (FluidSynth has no limiter of its own). The
// in-process renderer (Audio::None) has exactly the settings and the limiter of the playing
// synth, so what it measures is what the sound card gets.
//
// QUINTORA_SOUNDFONT names the SoundFont; QUINTORA_AUDIO names FluidSynth's audio driver
// ("none" for no audio at all, e.g. when rendering in-process).
//
// On JACK the synth's outputs are connected to the server's physical playback ports as it
// starts, so that it is heard without a patchbay (a user may connect them elsewhere after). A
// JACK server that goes away takes the synth's audio with it for good (audioLost); its client
// is then left unclosed (see jack_client.h).

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/backends/peak_limiter.h"

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_audio_driver_t fluid_audio_driver_t;

namespace platform {

class JackClient;

class BuiltinSynth {
  public:
    enum class Audio { Driver, None };
    explicit BuiltinSynth(Audio audio);
    ~BuiltinSynth();
    BuiltinSynth(const BuiltinSynth&) = delete;
    BuiltinSynth& operator=(const BuiltinSynth&) = delete;

    // One well-formed short message (1..3 bytes). Any thread.
    void send(const std::uint8_t* bytes, std::size_t length);
    // Silences every voice at once.
    void allSoundsOff();
    // Renders frames of stereo float samples in-process, through the limiter (only meaningful
    // with Audio::None).
    void render(float* left, float* right, int frames);

    // Samples a second, of the synth and of what render() gives.
    double sampleRate() const;

    bool hasSoundFont() const { return soundFontId_ >= 0; }
    // Whether the synth played on a JACK server that went away: it is silent from then on.
    bool audioLost() const;

    static std::string defaultSoundFont();

    // The synth's gain (FluidSynth's synth.gain).
    static constexpr double kGain = 0.6;

  private:
    fluid_audio_driver_t* openDriver();  // the driver the settings name
    static int processAudio(void* self, int frames, int nfx, float* fx[], int nout, float* out[]);

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_audio_driver_t* driver_ = nullptr;
    std::shared_ptr<const JackClient> jackWatch_;  // while driver_ plays on JACK
    int soundFontId_ = -1;
    std::unique_ptr<PeakLimiter> limiter_;
};

}  // namespace platform
