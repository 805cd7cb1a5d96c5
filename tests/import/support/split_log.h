#pragma once
// The tracks of a split file as lines "tick event ...", one list per track, ticks absolute.

#include <cstdio>
#include <string>
#include <vector>

#include "midifile/MidiRead.h"

namespace importtest {

class SplitLog final : public midifile::MidiRead {
  public:
    explicit SplitLog(const char* path) : MidiRead(path, nullptr, WindowRead) {
        EventMask = MaskAllControllers;
        ok = ReadAll() != 0;
    }
    bool ok = false;
    std::vector<std::vector<std::string>> tracks;
    std::vector<int> channels;  // each track's channel: 0..15, MULTICHANNEL or NOCHANNEL

    // The lines of a track that start with the event name.
    std::vector<std::string> Only(size_t track, const std::string& event) const {
        std::vector<std::string> out;
        for (const auto& l : tracks.at(track))
            if (l.find(" " + event) != std::string::npos) out.push_back(l);
        return out;
    }

    void OnError(const char*) override { ok = false; }
    void OnTrackStart(int, int64_t, int channel) override {
        tracks.emplace_back();
        channels.push_back(channel);
    }
    void OnNoteOn(int c, int k, int v) override { add("on", c, k, v); }
    void OnNoteOff(int c, int k, int) override { add("off", c, k); }
    void OnProgramChange(int c, int p) override { add("program", c, p); }
    void OnControlChange(int c, int n, int v) override { add("cc", c, n, v); }
    void OnTempo(uint32_t t) override { add("tempo", static_cast<int>(t)); }
    void OnTimeSignature(int n, int d, int, int) override { add("timesig", n, d); }
    void OnGmSystemOn() override { add("gmon"); }
    void OnSysex(int64_t n, const uint8_t* d) override { add("sysex" + Hex(n, d)); }
    void OnSysexEscape(int64_t n, const uint8_t* d) override { add("escape" + Hex(n, d)); }
    void OnText(int type, int64_t n, const char*, const char* t) override {
        add("text" + std::to_string(type) + " " + std::string(t, static_cast<size_t>(n)));
    }

  private:
    static std::string Hex(int64_t n, const uint8_t* d) {
        std::string out;
        char b[4];
        for (int64_t i = 0; i < n; ++i) {
            std::snprintf(b, sizeof b, " %02X", d[i]);
            out += b;
        }
        return out;
    }
    template <typename... Args>
    void add(const std::string& name, Args... args) {
        std::string line = std::to_string(TrackTicks) + " " + name;
        ((line += " " + std::to_string(args)), ...);
        if (!tracks.empty()) tracks.back().push_back(line);
    }
};

}  // namespace importtest
