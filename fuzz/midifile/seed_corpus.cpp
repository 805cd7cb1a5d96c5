// Writes the fuzz target's seed corpus with the project's own writer: small files that reach the
// reader's main paths. Usage: midifile_seed_corpus <folder>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "midifile/MidiWrite.h"

using midifile::MidiWrite;

namespace {

struct Seed {
    const char* name;
    int format;
    std::vector<std::function<void(MidiWrite&)>> tracks;
};

const std::vector<Seed>& Seeds() {
    static const std::vector<Seed> seeds = {
        {"note_on_off", 0, {[](MidiWrite& w) {
             w.WriteNoteOn(0, 60, 100);
             w.AddDelta(96);
             w.WriteNoteOff(0, 60, 0);
         }}},
        {"tempo_track_and_parts",
         1,
         {[](MidiWrite& w) {
              w.WriteText(3, "Tempo");
              w.WriteTimeSignature(3, 4, 24, 8);
              w.WriteKeySignature(-2, 0);
              w.WriteTempo(600000);
              w.AddDelta(384);
              w.WriteTempo(400000);
              w.WriteSmpteOffset(1, 0, 0, 2, 3, 0);
          },
          [](MidiWrite& w) {
              w.WriteText(3, "Piano");
              w.WriteControlChange(0, 0, 8);
              w.WriteProgramChange(0, 0);
              w.WriteControlChange(0, 7, 100);
              w.WriteControlChange(0, 10, 64);
              for (int i = 0; i < 8; ++i) {
                  w.AddDelta(48);
                  w.WriteNoteOn(0, 60 + i, 90);
                  w.AddDelta(48);
                  w.WriteNoteOff(0, 60 + i, 0);
              }
          },
          [](MidiWrite& w) {
              w.WriteChannelPrefix(9);
              w.WriteNoteOn(9, 36, 127);
              w.AddDelta(96);
              w.WriteNoteOff(9, 36, 64);
          }}},
        {"resets_and_sysex", 0, {[](MidiWrite& w) {
             w.WriteGmSystemOn();
             w.WriteGsReset();
             w.WriteGsExit();
             w.WriteXgSystemOn();
             const uint8_t data[] = {0x43, 0x10, 0x4C, 0x08, 0x00, 0x07, 0x01};
             w.WriteSysex(sizeof data, data);
         }}},
        {"controllers_and_bend_range", 0, {[](MidiWrite& w) {
             w.WriteControlChange(2, 101, 0);
             w.WriteControlChange(2, 100, 0);
             w.WriteControlChange(2, 6, 12);
             for (int c : {1, 2, 4, 5, 11, 32, 64, 91, 93, 96, 97, 99}) w.WriteControlChange(2, c, 5);
             w.WritePitchBend(2, 12000);
             w.WritePolyPressure(2, 60, 30);
             w.WriteChannelPressure(2, 40);
         }}},
        {"system_messages", 2, {[](MidiWrite& w) {
             w.WriteSongPosition(1000);
             w.WriteSongSelect(2);
             for (int s : {0xF6, 0xF8, 0xFA, 0xFB, 0xFC, 0xFE}) w.WriteSystemByte(s);
             w.WriteSequenceNumber(7);
             w.WritePortPrefix(1);
         }}},
        {"long_sysex_and_text", 0, {[](MidiWrite& w) {
             std::vector<uint8_t> big(1500, 0x11);
             big.back() = 0xF7;
             w.WriteSysex(static_cast<int64_t>(big.size()), big.data());
             w.WriteText(1, std::string(1200, 't'));
             w.WriteNoteOn(3, 50, 50);
         }}},
        {"divided_sysex_and_escapes", 0, {[](MidiWrite& w) {
             const uint8_t first[] = {0x43, 0x10, 0x4C, 0x00};
             const uint8_t rest[] = {0x00, 0x7E, 0x00, 0xF7};
             const uint8_t realtime[] = {0xF8};
             w.WriteExclusive(0xF0, sizeof first, first);
             w.AddDelta(10);
             w.WriteExclusive(0xF7, sizeof rest, rest);
             w.WriteExclusive(0xF7, sizeof realtime, realtime);
             w.WriteExclusive(0xF0, 0, nullptr);
             w.WriteNoteOn(0, 60, 100);
         }}},
        {"large_pause",
         1,
         {[](MidiWrite& w) {
              w.WriteNoteOn(0, 60, 1);
              w.AddDelta(0x1000000);
              w.WriteNoteOn(0, 61, 1);
          },
          [](MidiWrite& w) { w.WriteNoteOn(1, 62, 1); }}},
        {"multichannel", 1, {[](MidiWrite& w) {
             for (int c = 0; c < 4; ++c) {
                 w.WriteProgramChange(c, 10 * c);
                 w.WriteNoteOn(c, 60, 100);
             }
         }}},
    };
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (const Seed& s : Seeds()) {
        const std::string path = std::string(argv[1]) + "/" + s.name + ".mid";
        MidiWrite w(path.c_str());
        w.WriteHeader(s.format, static_cast<int>(s.tracks.size()), 96);
        for (const auto& t : s.tracks) {
            w.StartTrack();
            t(w);
        }
        if (!w.Close()) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
