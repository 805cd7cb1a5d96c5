#pragma once
// The DRUM LIST dialog's entries: the 61 named drums in alphabetical order after a blank entry,
// each with its General MIDI percussion key (the drum index is key - 27; the blank entry's key
// 0 names no drum). The texts are the dialog's own and differ from the tab captions in places.

#include <array>

namespace drums {

struct DrumListEntry {
    const char* text;
    int key;
};

inline constexpr int kDrumListEntries = 62;

inline constexpr std::array<DrumListEntry, kDrumListEntries> DrumList = {{
    {"", 0},
    {"Accoustic Bass Drum", 36},
    {"Acoustic Snare ", 38},
    {"Bell Tree ", 84},
    {"Cabasa ", 69},
    {"Castanets ", 85},
    {"Chinese Cymbal ", 52},
    {"Claves", 75},
    {"Closed High Hat ", 42},
    {"Cowbell ", 56},
    {"Crash Cymbal 1 ", 49},
    {"Crash Cymbal 2 ", 57},
    {"Electric Snare ", 40},
    {"Hand Clap ", 39},
    {"High Agogo ", 67},
    {"High Bongo ", 60},
    {"High Floor Tom ", 43},
    {"High Mid Tom ", 48},
    {"High Q", 27},
    {"High Timbale ", 65},
    {"High Tom ", 50},
    {"High Wood Block ", 76},
    {"Jingle Bell ", 83},
    {"Kick Drum 2", 35},
    {"Long Guiro", 74},
    {"Long Whistle ", 72},
    {"Low Agogo", 68},
    {"Low Bongo", 61},
    {"Low Conga", 64},
    {"Low Floor Tom", 41},
    {"Low Mid Tom", 47},
    {"Low Timbale", 66},
    {"Low Tom", 45},
    {"Low Wood Block", 77},
    {"Maracas", 70},
    {"Metronome Bell", 34},
    {"Metronome Click", 33},
    {"Mute Cuica", 78},
    {"Mute High Conga", 62},
    {"Mute Surdo", 86},
    {"Mute Triangle", 80},
    {"Open Cuica", 79},
    {"Open High Conga", 63},
    {"Open High Hat", 46},
    {"Open Surdo", 87},
    {"Open Triangle", 81},
    {"Pedal High Hat", 44},
    {"Ride Bell", 53},
    {"Ride Cymbal 1", 51},
    {"Ride Cymbal 2", 59},
    {"Shaker", 82},
    {"Short Guiro", 73},
    {"Short Whistle", 71},
    {"Side Stick", 37},
    {"Slap", 28},
    {"Soratoh 1", 29},
    {"Soratoh 2", 30},
    {"Splash Cymbal", 55},
    {"Square Click", 32},
    {"Sticks", 31},
    {"Tambourine", 54},
    {"Vibraslap", 58},
}};

}  // namespace drums
