#include "platform/backends/builtin_synth.h"

#include "platform/backends/jack_client.h"
#include "platform/backends/uncancelled.h"

#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace platform {

namespace {

std::once_flag silentNoticeOnce;
std::mutex lastFluidErrorMutex;
std::string lastFluidError;

// Also on libjack's thread, which libjack may cancel at any instruction (FluidSynth reports a
// JACK server that went away from there).
void keepLastError(int level, const char* message, void*) {
    if (level > FLUID_ERR || !message) return;
    runUncancelled([message] {
        std::lock_guard lock(lastFluidErrorMutex);
        lastFluidError = message;
    });
}

std::string takeLastError() {
    std::lock_guard lock(lastFluidErrorMutex);
    return lastFluidError;
}

void sayOnceSilent(const std::string& why) {
    std::call_once(silentNoticeOnce, [&] {
        std::fprintf(stderr, "Quintora2: the built-in synth is silent (%s).\n", why.c_str());
    });
}

void quietFluidLogs() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, &keepLastError, nullptr);
    });
}

}  // namespace

std::string BuiltinSynth::defaultSoundFont() {
    if (const char* e = std::getenv("QUINTORA_SOUNDFONT"); e && *e) return e;
    for (const char* p : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                          "/usr/share/soundfonts/default.sf2"}) {
        std::error_code ec;
        if (std::filesystem::exists(p, ec)) return p;
    }
    return {};
}

BuiltinSynth::BuiltinSynth(Audio audio) {
    quietFluidLogs();
    settings_ = new_fluid_settings();
    if (!settings_) {
        sayOnceSilent("FluidSynth could not start");
        return;
    }
    fluid_settings_setnum(settings_, "synth.gain", kGain);
    fluid_settings_setint(settings_, "synth.midi-channels", 16);
    fluid_settings_setint(settings_, "audio.jack.autoconnect", 1);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
        sayOnceSilent("FluidSynth could not start");
        return;
    }
    limiter_ = std::make_unique<PeakLimiter>(sampleRate());
    const std::string font = defaultSoundFont();
    if (!font.empty()) soundFontId_ = fluid_synth_sfload(synth_, font.c_str(), 1);
    if (soundFontId_ < 0) {
        sayOnceSilent(font.empty() ? "no General MIDI SoundFont found; set QUINTORA_SOUNDFONT"
                                   : "the SoundFont " + font + " could not be loaded");
        return;
    }
    if (audio == Audio::None) return;

    const char* wanted = std::getenv("QUINTORA_AUDIO");
    if (wanted && std::string(wanted) == "none") {
        sayOnceSilent("QUINTORA_AUDIO=none");
        return;
    }
    // Never let an audio back-end start a sound server of its own.
    setenv("JACK_NO_START_SERVER", "1", 0);
    if (wanted && *wanted) {
        fluid_settings_setstr(settings_, "audio.driver", wanted);
        driver_ = openDriver();
    } else {
        for (const char* d : {"pipewire", "pulseaudio", "jack", "alsa"}) {
            if (fluid_settings_setstr(settings_, "audio.driver", d) != FLUID_OK) continue;
            driver_ = openDriver();
            if (driver_) break;
        }
    }
    if (!driver_) {
        const std::string error = takeLastError();
        sayOnceSilent("no audio output could be opened" + (error.empty() ? std::string() : ": " + error));
    }
}

BuiltinSynth::~BuiltinSynth() {
    // FluidSynth closes its JACK client with the driver: not once that client's server is gone.
    if (driver_ && audioLost())
        keepUnclosed(driver_);
    else if (driver_)
        delete_fluid_audio_driver(driver_);
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

void BuiltinSynth::send(const std::uint8_t* b, std::size_t length) {
    if (!synth_ || length == 0) return;
    const int ch = b[0] & 0x0F;
    const int d1 = length > 1 ? b[1] : 0;
    const int d2 = length > 2 ? b[2] : 0;
    switch (b[0] & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth_, ch, d1);
            break;
        case 0x90:
            if (d2 == 0)
                fluid_synth_noteoff(synth_, ch, d1);
            else
                fluid_synth_noteon(synth_, ch, d1, d2);
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth_, ch, d1, d2);
            break;
        case 0xB0:
            fluid_synth_cc(synth_, ch, d1, d2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth_, ch, d1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth_, ch, d1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth_, ch, d1 | (d2 << 7));
            break;
        case 0xF0:
            if (b[0] == 0xFF) {
                fluid_synth_system_reset(synth_);
            } else if (b[0] == 0xF0 && length >= 2) {
                // The synth takes the data between F0 and F7 (GM/GS/XG resets, tuning...).
                fluid_synth_sysex(synth_, reinterpret_cast<const char*>(b + 1), static_cast<int>(length - 2),
                                  nullptr, nullptr, nullptr, 0);
            }
            break;
    }
}

void BuiltinSynth::allSoundsOff() {
    if (synth_) fluid_synth_all_sounds_off(synth_, -1);
}

fluid_audio_driver_t* BuiltinSynth::openDriver() {
    // On JACK, a client of ours on the server first: it tells when FluidSynth's went with it.
    char driver[32] = {};
    if (fluid_settings_copystr(settings_, "audio.driver", driver, sizeof driver) == FLUID_OK &&
        std::string_view(driver) == "jack") {
        jackWatch_ = jackServerWatch();
        if (!jackWatch_) return nullptr;  // no server runs
    }
    // Through our callback, for the limiter; a driver without callbacks plays the synth as is.
    fluid_audio_driver_t* d = new_fluid_audio_driver2(settings_, &BuiltinSynth::processAudio, this);
    if (!d) d = new_fluid_audio_driver(settings_, synth_);
    if (!d) jackWatch_.reset();
    return d;
}

bool BuiltinSynth::audioLost() const {
    return jackWatch_ && jackWatch_->serverGone();
}

int BuiltinSynth::processAudio(void* self, int frames, int, float*[], int nout, float* out[]) {
    auto* synth = static_cast<BuiltinSynth*>(self);
    if (nout < 2) return fluid_synth_process(synth->synth_, frames, 0, nullptr, nout, out);
    // The effects (reverb, chorus) mixed into the dry pair, so that the limiter sees everything.
    float* fx[4] = {out[0], out[1], out[0], out[1]};
    const int r = fluid_synth_process(synth->synth_, frames, 4, fx, 2, out);
    synth->limiter_->process(out[0], out[1], frames);
    return r;
}

double BuiltinSynth::sampleRate() const {
    double rate = 44100.0;
    if (settings_) fluid_settings_getnum(settings_, "synth.sample-rate", &rate);
    return rate;
}

void BuiltinSynth::render(float* left, float* right, int frames) {
    if (!synth_) {
        for (int i = 0; i < frames; ++i) left[i] = right[i] = 0.f;
        return;
    }
    fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
    limiter_->process(left, right, frames);
}

}  // namespace platform
