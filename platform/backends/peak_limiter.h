#pragma once
// A peak limiter for the built-in synth's stereo output: a dense song (every channel sounding
// chords, drums and effects at once) would otherwise add up beyond full scale and be clipped
// by the sound card, while a gain low enough for such a song would leave a single drum hard to
// hear. The gain drops at once to what keeps the sample at the ceiling and recovers with the
// release time, so no sample ever leaves [-ceiling, ceiling] and quiet passages pass unchanged.
// One thread (the audio callback's, or the renderer's).

#include <algorithm>
#include <cmath>

namespace platform {

class PeakLimiter {
  public:
    static constexpr float kCeiling = 0.9f;          // about -1 dBFS
    static constexpr double kReleaseSeconds = 0.25;  // slow enough not to follow single waves

    explicit PeakLimiter(double sampleRate)
        : release_(static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * std::max(1.0, sampleRate))))) {
    }

    void process(float* left, float* right, int frames) {
        for (int i = 0; i < frames; ++i) {
            const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
            const float allowed = peak > kCeiling ? kCeiling / peak : 1.0f;
            gain_ = std::min(gain_ + (1.0f - gain_) * release_, allowed);
            left[i] *= gain_;
            right[i] *= gain_;
        }
    }
    float gain() const { return gain_; }

  private:
    float release_;
    float gain_ = 1.0f;
};

}  // namespace platform
