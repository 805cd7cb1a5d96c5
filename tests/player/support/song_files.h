#pragma once
// MIDI files for the player's tests, written with the project's own writer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "midifile/MidiWrite.h"

namespace player::testing {

using Bytes = std::vector<uint8_t>;
using Track = std::function<void(midifile::MidiWrite&)>;

inline bool WriteSong(const std::string& path, int format, int division, const std::vector<Track>& tracks) {
    midifile::MidiWrite w(path.c_str());
    w.WriteHeader(format, static_cast<int>(tracks.size()), division);
    for (const auto& t : tracks) {
        w.StartTrack();
        t(w);
    }
    return w.Close();
}

inline Bytes ReadBytes(const std::string& path) {
    Bytes out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) out.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return out;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// Takes the end-of-track event (a one-byte delta and FF 2F 00, the writer's last four bytes of a
// track) off track `track` (1-based) and shortens its chunk: a track that held only that event
// becomes an empty chunk. Returns false when the track does not end that way.
inline bool StripEndOfTrack(const std::string& path, int track) {
    Bytes b = ReadBytes(path);
    size_t at = 14;
    for (int t = 1; at + 8 <= b.size(); ++t) {
        const uint32_t length = (uint32_t{b[at + 4]} << 24) | (uint32_t{b[at + 5]} << 16) |
                                (uint32_t{b[at + 6]} << 8) | b[at + 7];
        const size_t end = at + 8 + length;
        if (t == track) {
            if (length < 4 || end > b.size() || b[end - 4] >= 0x80 || b[end - 3] != 0xFF ||
                b[end - 2] != 0x2F || b[end - 1] != 0x00)
                return false;
            b.erase(b.begin() + static_cast<std::ptrdiff_t>(end - 4),
                    b.begin() + static_cast<std::ptrdiff_t>(end));
            const uint32_t n = length - 4;
            b[at + 4] = static_cast<uint8_t>(n >> 24);
            b[at + 5] = static_cast<uint8_t>(n >> 16);
            b[at + 6] = static_cast<uint8_t>(n >> 8);
            b[at + 7] = static_cast<uint8_t>(n);
            WriteBytes(path, b);
            return true;
        }
        at = end;
    }
    return false;
}

}  // namespace player::testing
