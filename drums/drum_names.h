#pragma once
// The names of the General MIDI percussion sounds of drum indices 0..60 (note - 27), as the
// pages show them.

#include <array>

namespace drums {

inline constexpr int kNamedDrums = 61;

inline constexpr std::array<const char*, kNamedDrums> DrumNames = {
    "High Q",          "Slap",
    "Soratoh 1",       "Soratoh 2",
    "Sticks",          "Square Click",
    "Metronome Click", "Metronome Bell",
    "Kick Drum 2",     "Accoustic Bass Drum",
    "Side Stick",      "Acoustic Snare",
    "Hand Clap",       "Electric Snare",
    "Low Floor Tom",   "Closed High-Hat",
    "High Floor Tom",  "Pedal High Hat",
    "Low Tom",         "Open High Hat",
    "Low-Mid Tom",     "High-Mid Tom",
    "Crash Cymbal 1",  "High Tom",
    "Ride Cymbal 1",   "Chinese Cymbal",
    "Ride Bell",       "Tambourine",
    "Splash Cymbal",   "Cowbell",
    "Crash Cymbal 2",  "Vibraslap",
    "Ride Cymbal 2",   "High Bongo",
    "Low Bongo",       "Mute High Conga",
    "Open High Conga", "Low Conga",
    "High Timbale",    "Low Timbale",
    "High Agogo",      "Low Agogo",
    "Cabasa",          "Maracas",
    "Short Whistle",   "Long Whistle",
    "Short Guiro",     "Long Guiro",
    "Claves",          "High Wood Block",
    "Low Wood Block",  "Mute Cuica",
    "Open Cuica",      "Mute Triangle",
    "Open Triangle",   "Shaker",
    "Jingle Bell",     "Bell Tree",
    "Castanets",       "Mute Surdo",
    "Open Surdo",
};

}  // namespace drums
