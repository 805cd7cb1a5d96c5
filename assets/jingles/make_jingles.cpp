// Writes the program's three jingles with its own MIDI writer: "Rizori.mid" (start-up),
// "Varoza.mid" (exit) and "ORVX.mid" (About). Each is a short phrase on piano with drums, a
// format-1 file of a tempo track, a piano track (channel 1) and a drum track (channel 10).
// Usage: make_jingles <folder>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "midifile/MidiWrite.h"

namespace {

constexpr int kDivision = 480;  // ticks per quarter note
constexpr int kPiano = 0;       // channel 1
constexpr int kDrums = 9;       // channel 10
constexpr int kEighth = kDivision / 2;
constexpr int kSixteenth = kDivision / 4;

struct Note {
    int start;     // ticks
    int duration;  // ticks
    int key;
    int velocity;
};

struct Jingle {
    const char* file;
    const char* title;
    uint32_t microsecondsPerQuarter;
    int lengthTicks;  // the end of the piece, the last ring included
    std::vector<Note> piano;
    std::vector<Note> drums;
};

// A chord of keys starting together.
void Chord(std::vector<Note>& out, int start, int duration, std::initializer_list<int> keys, int velocity) {
    for (int k : keys) out.push_back({start, duration, k, velocity});
}

// Notes one after another, each `step` ticks long.
void Line(std::vector<Note>& out, int start, int step, std::initializer_list<int> keys, int velocity) {
    for (int k : keys) {
        out.push_back({start, step, k, velocity});
        start += step;
    }
}

enum Drum {
    Kick = 36,
    Snare = 38,
    Clap = 39,
    ClosedHat = 42,
    OpenHat = 46,
    Crash = 49,
    Ride = 51,
    Tambourine = 54
};

void Hit(std::vector<Note>& out, int start, int drum, int velocity) {
    out.push_back({start, kSixteenth, drum, velocity});
}

// Start-up: a bright rising C major cadence, I - IV - V - I, landing on a held C.
Jingle Rizori() {
    Jingle j{"Rizori.mid", "Rizori", 500000, 6 * kDivision, {}, {}};
    const int q = kDivision;
    Chord(j.piano, 0, q, {48, 55, 64}, 80);
    Chord(j.piano, q, q, {53, 57, 60}, 80);
    Chord(j.piano, 2 * q, q, {55, 59, 62}, 84);
    Chord(j.piano, 3 * q, 2 * q, {48, 55, 60, 64}, 88);
    Line(j.piano, 0, kEighth, {76, 79, 81, 77, 74, 71}, 96);
    j.piano.push_back({3 * q, 2 * q, 72, 104});
    for (int i = 0; i < 6; ++i) Hit(j.drums, i * kEighth, ClosedHat, i % 2 == 0 ? 70 : 50);
    Hit(j.drums, 0, Kick, 100);
    Hit(j.drums, q, Snare, 90);
    Hit(j.drums, 2 * q, Kick, 100);
    Hit(j.drums, 2 * q + kEighth, Snare, 80);
    Hit(j.drums, 3 * q, Kick, 110);
    Hit(j.drums, 3 * q, Crash, 100);
    return j;
}

// Exit: an unhurried falling line over A minor - F - G - C, with a ride and a soft close.
Jingle Varoza() {
    Jingle j{"Varoza.mid", "Varoza", 600000, 6 * kDivision, {}, {}};
    const int q = kDivision;
    Chord(j.piano, 0, q, {45, 52, 60}, 70);
    Chord(j.piano, q, q, {41, 48, 57}, 70);
    Chord(j.piano, 2 * q, q, {43, 50, 59}, 72);
    Chord(j.piano, 3 * q, 2 * q + kEighth, {36, 43, 52, 60}, 76);
    j.piano.push_back({0, q, 76, 88});
    Line(j.piano, q, kEighth, {74, 72, 71, 74}, 84);
    j.piano.push_back({3 * q, 2 * q + kEighth, 72, 92});
    for (int i = 0; i < 3; ++i) Hit(j.drums, i * q, Ride, 64);
    Hit(j.drums, 0, Kick, 90);
    Hit(j.drums, q + kEighth, Snare, 50);
    Hit(j.drums, 2 * q, Kick, 90);
    Hit(j.drums, 3 * q, Kick, 100);
    Hit(j.drums, 3 * q, Crash, 80);
    return j;
}

// About: a playful G major figure in sixteenths, answered and closed with claps.
Jingle Orvx() {
    Jingle j{"ORVX.mid", "ORVX", 454545, 6 * kDivision, {}, {}};
    const int q = kDivision;
    Line(j.piano, 0, kSixteenth, {67, 71, 74, 79, 78, 74, 76, 72}, 92);
    Line(j.piano, 2 * q, kSixteenth, {71, 74, 72, 69}, 88);
    j.piano.push_back({3 * q, 2 * q, 79, 100});
    j.piano.push_back({3 * q, 2 * q, 83, 90});
    Chord(j.piano, 0, q, {43, 50, 59}, 74);
    Chord(j.piano, q, q, {48, 55, 64}, 74);
    Chord(j.piano, 2 * q, q, {50, 57, 66}, 76);
    Chord(j.piano, 3 * q, 2 * q, {43, 50, 55, 59}, 82);
    for (int i = 0; i < 6; ++i) Hit(j.drums, i * kEighth, i % 2 == 1 ? Tambourine : ClosedHat, 60);
    Hit(j.drums, 0, Kick, 100);
    Hit(j.drums, q, Snare, 85);
    Hit(j.drums, 2 * q, Kick, 100);
    Hit(j.drums, 2 * q + kEighth, Kick, 80);
    Hit(j.drums, 3 * q, Clap, 100);
    Hit(j.drums, 3 * q, Crash, 90);
    Hit(j.drums, 3 * q, OpenHat, 70);
    return j;
}

// Note-ons and note-offs in time order, a note's end before another's start at the same tick.
void WriteNotes(midifile::MidiWrite& w, int channel, const std::vector<Note>& notes, int lengthTicks) {
    struct Edge {
        int tick;
        bool on;
        int key;
        int velocity;
    };
    std::vector<Edge> edges;
    for (const Note& n : notes) {
        edges.push_back({n.start, true, n.key, n.velocity});
        edges.push_back({n.start + n.duration, false, n.key, 0});
    }
    std::stable_sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
        return a.tick != b.tick ? a.tick < b.tick : (!a.on && b.on);
    });
    int now = 0;
    for (const Edge& e : edges) {
        w.AddDelta(static_cast<uint32_t>(e.tick - now));
        now = e.tick;
        if (e.on)
            w.WriteNoteOn(channel, e.key, e.velocity);
        else
            w.WriteNoteOff(channel, e.key, 0);
    }
    w.AddDelta(static_cast<uint32_t>(std::max(0, lengthTicks - now)));
    w.WriteEndOfTrack();
}

bool Write(const std::string& folder, const Jingle& j) {
    const std::string path = folder + "/" + j.file;
    midifile::MidiWrite w(path.c_str());
    w.WriteHeader(1, 3, kDivision);

    w.StartTrack();
    w.WriteText(3, j.title);
    w.WriteTimeSignature(4, 4, 24, 8);
    w.WriteTempo(j.microsecondsPerQuarter);
    w.AddDelta(static_cast<uint32_t>(j.lengthTicks));
    w.WriteEndOfTrack();

    w.StartTrack();
    w.WriteText(3, "Piano");
    w.WriteProgramChange(kPiano, 0);
    w.WriteControlChange(kPiano, 7, 100);
    w.WriteControlChange(kPiano, 10, 64);
    WriteNotes(w, kPiano, j.piano, j.lengthTicks);

    w.StartTrack();
    w.WriteText(3, "Drums");
    w.WriteControlChange(kDrums, 7, 96);
    WriteNotes(w, kDrums, j.drums, j.lengthTicks);

    if (!w.Close()) {
        std::fprintf(stderr, "make_jingles: could not write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    bool ok = true;
    for (const Jingle& j : {Rizori(), Varoza(), Orvx()}) ok = Write(argv[1], j) && ok;
    return ok ? 0 : 1;
}
