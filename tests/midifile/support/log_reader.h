#pragma once
// A reader that writes every callback it receives as one line, so tests compare whole logs.
// Progress is left out unless asked for (its values depend on the file's layout).

#include <cstdio>
#include <string>
#include <vector>

#include "midifile/MidiRead.h"

namespace midifile::testing {

class LogReader : public MidiRead {
  public:
    LogReader(const char* path, std::FILE* file, int mode, bool logProgress = false)
        : MidiRead(path, file, mode), logProgress_(logProgress) {}

    std::vector<std::string> log;

    // The lines between the first track start and its end (the track body).
    std::vector<std::string> Body(int track = 1) const {
        std::vector<std::string> out;
        bool in = false;
        const std::string start = "trackstart " + std::to_string(track) + " ";
        for (const auto& l : log) {
            if (l.rfind(start, 0) == 0) {
                in = true;
                continue;
            }
            if (in && l == "trackend " + std::to_string(track)) break;
            if (in) out.push_back(l);
        }
        return out;
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.rfind("error: ", 0) == 0) out.push_back(l.substr(7));
        return out;
    }
    std::vector<std::string> Warnings() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.rfind("warning: ", 0) == 0) out.push_back(l.substr(9));
        return out;
    }

    void OnError(const char* t) override { add("error: " + std::string(t)); }
    void OnWarning(const char* t) override { add("warning: " + std::string(t)); }
    void OnHeader(int f, int n, int d) override { add("header", f, n, d); }
    void OnTrackStart(int t, int64_t len, int ch) override { add("trackstart", t, len, ch); }
    void OnTrackEnd(int t) override { add("trackend", t); }
    void OnDeltaTime(uint32_t ticks) override { add("delta", ticks); }
    void OnRawEvent(int status, int64_t len, const uint8_t* d) override {
        add("raw " + hex(status) + bytes(len, d));
    }
    void OnRawEventInFile(int status, std::FILE*, int64_t off, int64_t len) override {
        add("rawinfile " + hex(status), off, len);
    }
    void OnMetaEvent(int type, int64_t len, const uint8_t* d) override {
        add("meta " + hex(type) + bytes(len, d));
    }
    void OnMetaEventInFile(int type, std::FILE*, int64_t off, int64_t len) override {
        add("metainfile " + hex(type), off, len);
    }
    void OnText(int type, int64_t len, const char* kind, const char* text) override {
        add("text " + hex(type) + " " + (kind ? kind : "-") + " '" +
            std::string(text, static_cast<size_t>(len)) + "'");
    }
    void OnEndOfTrack() override { add("endoftrack"); }
    void OnChannelPrefix(int c) override { add("channelprefix", c); }
    void OnPortPrefix(int p) override { add("portprefix", p); }
    void OnSequenceNumber(int n) override { add("seqnum", n); }
    void OnSmpteOffset(int r, int h, int m, int s, int f, int ff) override {
        add("smpte", r, h, m, s, f, ff);
    }
    void OnTimeSignature(int n, int d, int c, int b) override { add("timesig", n, d, c, b); }
    void OnTempo(uint32_t t) override { add("tempo", t); }
    void OnKeySignature(int sf, int mi) override { add("keysig", sf, mi); }
    void OnProgramChange(int c, int p) override { add("program", c, p); }
    void OnControlChange(int c, int n, int v) override { add("cc", c, n, v); }
    void OnPitchBendRange(int c, int s) override { add("bendrange", c, s); }
    void OnNoteOn(int c, int k, int v) override { add("on", c, k, v); }
    void OnNoteOff(int c, int k, int v) override { add("off", c, k, v); }
    void OnPitchBend(int c, int v) override { add("bend", c, v); }
    void OnPolyPressure(int c, int k, int p) override { add("polypressure", c, k, p); }
    void OnChannelPressure(int c, int p) override { add("pressure", c, p); }
    void OnSongPosition(int v) override { add("songpos", v); }
    void OnSongSelect(int s) override { add("songselect", s); }
    void OnTuneRequest() override { add("tunerequest"); }
    void OnTimingClock() override { add("clock"); }
    void OnStart() override { add("start"); }
    void OnContinue() override { add("continue"); }
    void OnStop() override { add("stop"); }
    void OnActiveSensing() override { add("activesensing"); }
    void OnSysex(int64_t len, const uint8_t* d) override { add("sysex" + bytes(len, d)); }
    void OnSysexInFile(std::FILE*, int64_t off, int64_t len) override { add("sysexinfile", off, len); }
    void OnSysexEscape(int64_t len, const uint8_t* d) override { add("escape" + bytes(len, d)); }
    void OnSysexEscapeInFile(std::FILE*, int64_t off, int64_t len) override { add("escapeinfile", off, len); }
    void OnXgSystemOn() override { add("xgon"); }
    void OnGmSystemOn() override { add("gmon"); }
    void OnGsReset() override { add("gsreset"); }
    void OnGsExit() override { add("gsexit"); }
    void OnEndOfFile() override { add("eof"); }
    void OnProgress(int p) override {
        if (logProgress_) add("progress", p);
    }

    static std::string hex(int v) {
        char b[8];
        std::snprintf(b, sizeof b, "%02X", v & 0xFF);
        return b;
    }
    static std::string bytes(int64_t len, const uint8_t* d) {
        std::string s;
        for (int64_t i = 0; i < len; ++i) s += " " + hex(d[i]);
        return s;
    }

  private:
    template <typename... Args>
    void add(const std::string& name, Args... args) {
        std::string line = name;
        ((line += " " + std::to_string(args)), ...);
        log.push_back(line);
    }
    bool logProgress_;
};

}  // namespace midifile::testing
