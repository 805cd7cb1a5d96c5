// THRU latency inside the program: from the moment the keyboard's message is received (on the
// input's own thread) to the moment its note is handed to the output port, through the real
// message queue, event loop, input window and engine. Offscreen; one figure per line.
//
//   thru_latency_bench [keys]   (default 10000)

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app/pages/program.h"
#include "app/pages/quintora_form.h"
#include "platform/services.h"
#include "platform/testing/injectable_input.h"
#include "platform/testing/recording_output.h"

namespace {

double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const auto home = std::filesystem::temp_directory_path() / ("quintora-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("QUINTORA_HOME", home.c_str(), 1);
    {
        // Not a first run, which would open the help's introduction: the built-in synth's
        // output, input 0 and THRU channel 4, as the setup page stores them.
        std::ofstream cfg(home / "Quintora2.cfg", std::ios::binary);
        const char bytes[3] = {static_cast<char>(0xFF), 0, 3};
        cfg.write(bytes, 3);
    }

    platform::SystemClock clock;
    auto log = std::make_shared<platform::testing::OutputLog>();
    platform::Services& services = platform::services();
    services.midiOut().setBackend(std::make_unique<platform::testing::RecordingOutput>(log, clock));
    auto input = std::make_unique<platform::testing::InjectableInput>();
    platform::testing::InjectableInput* keyboard = input.get();
    services.midiIn().setBackend(std::move(input));
    // The recording output uses this function's clock: the real devices come back before it goes.
    struct RestoreDevices {
        platform::Services& services;
        ~RestoreDevices() {
            services.midiIn().setBackend(nullptr);
            services.midiOut().setBackend(nullptr);
        }
    } restore{services};

    QApplication application(argc, argv);
    std::vector<double> latencies;
    std::thread player;
    std::atomic<bool> done{false};

    app::RunQuintora2(application, [&](app::QuintoraProgram& program) {
        player = std::thread([&] {
            latencies.reserve(static_cast<std::size_t>(keys));
            std::size_t seen = log->size();
            for (int i = 0; i < keys; ++i) {
                const int key = 60 + (i / 2) % 24;          // each key pressed, then released
                const int velocity = i % 2 == 0 ? 100 : 0;  // press, then release
                const double sent = nowMs();
                keyboard->inject(0, static_cast<std::uint32_t>(0x93 | (key << 8) | (velocity << 16)));
                // Wait for the note (on the THRU channel, transposed by 0) to reach the output.
                const double deadline = sent + 1000;
                double arrived = -1;
                while (arrived < 0 && nowMs() < deadline) {
                    const auto events = log->since(seen);
                    for (std::size_t k = 0; k < events.size(); ++k)
                        if (events[k].bytes == std::vector<std::uint8_t>{0x93, static_cast<std::uint8_t>(key),
                                                                         static_cast<std::uint8_t>(velocity)})
                            arrived = events[k].ms;
                    seen += events.size();
                    if (arrived < 0) std::this_thread::yield();
                }
                if (arrived >= 0) latencies.push_back((arrived - sent) * 1000.0);
            }
            done = true;
            QMetaObject::invokeMethod(
                program.pages().QuintoraForm,
                [&program] { program.pages().QuintoraForm->ExitItem->trigger(); }, Qt::QueuedConnection);
        });
    });
    if (player.joinable()) player.join();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);

    if (latencies.empty()) {
        std::printf("keys_measured 0\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    auto pct = [&](double p) {
        return latencies[std::min(latencies.size() - 1, static_cast<std::size_t>(p * latencies.size()))];
    };
    std::printf("keys_measured %zu\n", latencies.size());
    std::printf("thru_latency_p50_us %.1f\n", pct(0.50));
    std::printf("thru_latency_p99_us %.1f\n", pct(0.99));
    std::printf("thru_latency_max_us %.1f\n", latencies.back());
    return done ? 0 : 1;
}
