#pragma once
// The test songs: a conductor with a 3/4 section from bar 5, drums over two tracks, piano with a
// program change in mid-track and a note across a bar line, strings and bass. Division 120.

#include "tests/import/support/song.h"

namespace importtest {

inline constexpr int kDivision = 120;
// Bar starts at division 120: four bars of 4/4 (480 ticks), then 3/4 (360 ticks).
inline constexpr int64_t kBarStart[] = {0, 480, 960, 1440, 1920, 2280, 2640, 3000, 3360};

inline constexpr int kKick = 36 - 27, kSnare = 38 - 27, kHat = 42 - 27;

inline Track Conductor() {
    Track t;
    return t.name("Song").tempo(0, 600000).meter(0, 4, 4).meter(1920, 3, 4);
}
inline Track Kick() {
    Track t;
    t.name("Kick");
    for (int b = 0; b < 8; ++b) t.note(kBarStart[b], 9, 36, 100, 30);
    return t;
}
inline Track SnareAndHat() {
    Track t;
    t.name("Snare and hat");
    for (int b = 0; b < 4; ++b) t.note(kBarStart[b] + 120, 9, 38, 90, 30);
    for (int b = 0; b < 2; ++b) t.note(kBarStart[b] + 60, 9, 42, 70, 20);
    return t;
}
// Program 0 for two bars, then program 4; the note begun before the change ends after it.
inline Track Piano() {
    Track t;
    t.name("Piano").program(0, 0, 0);
    t.note(0, 0, 60, 80, 120).note(480, 0, 60, 80, 120).note(720, 0, 62, 81, 360);
    t.program(960, 0, 4).note(960, 0, 64, 82, 120).note(1440, 0, 64, 82, 120);
    return t;
}
inline Track Strings() {
    Track t;
    t.name("Strings").program(0, 1, 48);
    for (int b = 0; b < 6; ++b) t.note(kBarStart[b], 1, 67, 60, kBarStart[b + 1] - kBarStart[b]);
    return t;
}
inline Track Bass() {
    Track t;
    t.name("Bass").program(0, 2, 33);
    for (int b = 0; b < 8; ++b) t.note(kBarStart[b], 2, 36, 110, 60);
    return t;
}

// The whole song as format 1 (six tracks) or format 0 (one track).
inline std::vector<Track> TestSong(int format) {
    std::vector<Track> tracks = {Conductor(), Kick(), SnareAndHat(), Piano(), Strings(), Bass()};
    if (format == 1) return tracks;
    Track all;
    for (const Track& t : tracks) all.merge(t);
    return {all};
}

}  // namespace importtest
