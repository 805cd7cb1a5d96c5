// Fuzzes LoadSong: whatever a file holds, what it accepts is in time order, within the length,
// and made of messages an output device takes (short messages that decode, exclusive messages
// F0 ... F7 with data bytes between).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/short_message.h"
#include "player/song.h"

namespace {

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "LoadSong accepted %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/quintora_fuzz_song_" + std::to_string(::getpid()) + ".mid";
    static const bool cleanup = [] {
        std::atexit([] { std::remove(path.c_str()); });
        return true;
    }();
    (void)cleanup;
    if (!WriteFile(path, data, size)) return 0;

    player::Song song;
    std::string error;
    if (!player::LoadSong(path, song, error)) {
        Check(!error.empty(), "a failure without a reason");
        Check(song.events.empty(), "events from a file it refused");
        return 0;
    }
    uint64_t last = 0;
    for (const auto& e : song.events) {
        Check(e.timeUs >= last, "events out of time order");
        Check(e.timeUs <= song.lengthUs, "an event after the end");
        last = e.timeUs;
        if (e.shortMessage != 0) {
            Check(platform::decodeShortMessage(e.shortMessage).has_value(),
                  "a short message no device takes");
            continue;
        }
        Check(uint64_t{e.exclusiveOffset} + e.exclusiveLength <= song.exclusiveData.size(),
              "data outside the song");
        Check(e.exclusiveLength >= 2, "a cut exclusive message");
        const uint8_t* x = song.exclusiveData.data() + e.exclusiveOffset;
        Check(x[0] == 0xF0 && x[e.exclusiveLength - 1] == 0xF7, "an exclusive message without F0 and F7");
        for (uint32_t i = 1; i + 1 < e.exclusiveLength; ++i)
            Check(x[i] < 0x80, "a status inside exclusive data");
    }
    return 0;
}
