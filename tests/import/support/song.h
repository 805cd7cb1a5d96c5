#pragma once
// Test songs written with our MIDI writer: tracks are built from events at absolute ticks and
// written in time order (at one tick, note-offs first, then the rest in the order given).

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "midifile/MidiWrite.h"

namespace importtest {

class Track {
  public:
    using Writer = std::function<void(midifile::MidiWrite&)>;
    Track& at(int64_t tick, Writer w, int order = 1) {
        events_.push_back({tick, order, static_cast<int>(events_.size()), std::move(w)});
        return *this;
    }
    Track& on(int64_t tick, int ch, int key, int vel) {
        return at(tick, [=](midifile::MidiWrite& w) { w.WriteNoteOn(ch, key, vel); });
    }
    Track& off(int64_t tick, int ch, int key) {
        return at(
            tick, [=](midifile::MidiWrite& w) { w.WriteNoteOff(ch, key, 0); }, 0);
    }
    Track& note(int64_t tick, int ch, int key, int vel, int64_t length) {
        on(tick, ch, key, vel);
        return off(tick + length, ch, key);
    }
    Track& program(int64_t tick, int ch, int p) {
        return at(tick, [=](midifile::MidiWrite& w) { w.WriteProgramChange(ch, p); });
    }
    Track& cc(int64_t tick, int ch, int c, int v) {
        return at(tick, [=](midifile::MidiWrite& w) { w.WriteControlChange(ch, c, v); });
    }
    Track& tempo(int64_t tick, uint32_t us) {
        return at(tick, [=](midifile::MidiWrite& w) { w.WriteTempo(us); });
    }
    Track& meter(int64_t tick, int n, int d) {
        return at(tick, [=](midifile::MidiWrite& w) { w.WriteTimeSignature(n, d, 24, 8); });
    }
    Track& name(std::string text) {
        return at(0, [=](midifile::MidiWrite& w) { w.WriteText(3, text); });
    }
    Track& gmOn(int64_t tick) {
        return at(tick, [](midifile::MidiWrite& w) { w.WriteGmSystemOn(); });
    }
    // Every event of `other` besides this track's own (a format-0 song from format-1 tracks).
    Track& merge(const Track& other) {
        for (const auto& e : other.events_) at(e.tick, e.write, e.order);
        return *this;
    }

    void write(midifile::MidiWrite& w) const {
        auto sorted = events_;
        std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
            if (a.tick != b.tick) return a.tick < b.tick;
            if (a.order != b.order) return a.order < b.order;
            return a.seq < b.seq;
        });
        int64_t now = 0;
        for (const auto& e : sorted) {
            w.AddDelta(static_cast<uint32_t>(e.tick - now));
            now = e.tick;
            e.write(w);
        }
    }

  private:
    struct Event {
        int64_t tick;
        int order;
        int seq;
        Writer write;
    };
    std::vector<Event> events_;
};

// Writes the song to `path`; true when the writer reports success.
inline bool WriteSong(const std::string& path, int format, int division, const std::vector<Track>& tracks) {
    midifile::MidiWrite w(path.c_str());
    w.WriteHeader(format, static_cast<int>(tracks.size()), division);
    for (const auto& t : tracks) {
        w.StartTrack();
        t.write(w);
        w.CloseTrack();
    }
    return w.Close();
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return out;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

}  // namespace importtest
