#pragma once
// Helpers of the end-to-end tests: a temporary program folder and waiting on what a JACK
// client received.

#include <chrono>
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

}  // namespace e2e
