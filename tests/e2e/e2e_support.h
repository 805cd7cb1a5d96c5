#pragma once
// Helpers of the end-to-end tests: a temporary program folder, waiting on what a JACK client
// received or on the server's clock, and the tolerance of a time measured on that clock.
//
// A test never sleeps and then asserts: it waits for the condition itself with a generous
// deadline (the machine may be loaded), then asserts what must hold.

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/jack_midi_client.h"

namespace e2e {

struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        std::string t = (std::filesystem::temp_directory_path() / "quintora-e2e-XXXXXX").string();
        if (mkdtemp(t.data())) path = t;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

// Polls until `enough` holds on what the client received, or the deadline passes.
template <typename F>
bool waitUntil(const testsupport::JackMidiClient& client, std::chrono::milliseconds timeout, F enough) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (enough(client.received())) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return enough(client.received());
}

// Waits until JACK's clock (the clock of what the client receives) has reached `seconds`: for
// "nothing more came" checks, which must give a wrong message the time it would have taken.
inline bool waitUntilServerTime(const testsupport::JackMidiClient& client, double seconds,
                                std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (client.now() < seconds) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The tolerance of a time between two messages the program sent, measured on JACK's clock:
// `steps` steps of the program's step clock (one at least) and two server periods, within which
// each arrival is stamped. A message reaches the client a period or more after it was sent, and
// on a loaded machine, where the server and its clients run late, up to about a hundred
// milliseconds later still: a check that must hold under load allows for that in its steps.
inline double stepTolerance(double stepSeconds, const testsupport::JackMidiClient& client, int steps = 1) {
    return (steps < 1 ? 1 : steps) * stepSeconds + 2 * client.periodSeconds();
}

// Whether `gap` seconds between two hits of a looping pattern is `steps` steps of `stepSeconds`,
// give or take whole loops of `loopSteps` steps, within `tolerance`.
inline bool gapOfSteps(double gap, int steps, double stepSeconds, int loopSteps, double tolerance) {
    return std::fabs(std::remainder(gap - steps * stepSeconds, loopSteps * stepSeconds)) <= tolerance;
}

}  // namespace e2e
