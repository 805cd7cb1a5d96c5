// The built-in synth's loudness on rendered audio, with the settings the program's synth has:
// a dense General MIDI song must not reach full scale (the sound card would clip it), and a
// single drum of the drum pattern must still be clearly heard.

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/synth_levels.h"

namespace {

namespace fs = std::filesystem;
using platform::BuiltinSynth;
using testsupport::AudioLevels;

// Clearly audible: -20 dBFS at the peak of the hit.
constexpr float kAudiblePeak = 0.1f;

class SynthLevels : public ::testing::Test {
  protected:
    // One synth for the suite: loading the SoundFont is most of the time.
    static void SetUpTestSuite() { synth = new BuiltinSynth(BuiltinSynth::Audio::None); }
    static void TearDownTestSuite() {
        delete synth;
        synth = nullptr;
    }
    void SetUp() override {
        if (!synth->hasSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont installed";
        synth->allSoundsOff();
    }
    ~SynthLevels() override {
        std::error_code ec;
        fs::remove(path, ec);
    }
    AudioLevels render(double seconds) {
        player::Song song;
        std::string error;
        EXPECT_TRUE(player::LoadSong(path, song, error)) << error;
        return testsupport::RenderSongLevels(*synth, song, seconds);
    }
    static BuiltinSynth* synth;
    std::string path =
        (fs::temp_directory_path() / ("synth_levels_" + std::to_string(::getpid()) + ".mid")).string();
};

BuiltinSynth* SynthLevels::synth = nullptr;

// Fifteen channels of accented triads on every beat and a kit: summed, about four times full
// scale at the synth's gain.
TEST_F(SynthLevels, ADenseSixteenChannelSongStaysBelowFullScale) {
    ASSERT_TRUE(testsupport::WriteDenseGmSong(path, 4));  // two bars, each beat a full chord
    const AudioLevels l = render(4.0);
    EXPECT_EQ(l.clipped, 0u) << "peak " << l.peak;
    EXPECT_LE(l.peak, platform::PeakLimiter::kCeiling * 1.0001f);
    EXPECT_GT(l.peak, 0.5f) << "and it is not made quiet for it";
}

TEST_F(SynthLevels, ASingleDrumAtThePatternsVelocityIsClearlyHeard) {
    for (int key : {36, 38}) {  // kick, snare
        ASSERT_TRUE(testsupport::WriteSingleDrum(path, key, 96));
        synth->allSoundsOff();
        const AudioLevels l = render(1.0);
        EXPECT_GT(l.peak, kAudiblePeak) << "key " << key;
        EXPECT_EQ(l.clipped, 0u) << "key " << key;
    }
}

// The limiter itself: a burst far beyond full scale stays at the ceiling, and once it is over
// a quiet signal comes back unchanged after the release.
TEST(PeakLimiter, HoldsTheCeilingAndLetsQuietSoundThrough) {
    constexpr double kRate = 44100;
    platform::PeakLimiter limiter(kRate);
    std::vector<float> l(2 * 44100), r(2 * 44100);
    for (std::size_t i = 0; i < l.size(); ++i) {
        const float wave = static_cast<float>(std::sin(static_cast<double>(i) * 0.05));
        l[i] = (i < 4410 ? 4.0f : 0.2f) * wave;
        r[i] = -l[i];
    }
    std::vector<float> inL = l;
    limiter.process(l.data(), r.data(), static_cast<int>(l.size()));
    float peak = 0;
    for (std::size_t i = 0; i < l.size(); ++i) peak = std::max({peak, std::fabs(l[i]), std::fabs(r[i])});
    EXPECT_LE(peak, platform::PeakLimiter::kCeiling * 1.0001f);
    EXPECT_GT(peak, 0.85f);
    for (std::size_t i = 80000; i < l.size(); ++i) ASSERT_NEAR(l[i], inL[i], 1e-3f) << i;
}

}  // namespace
