#include "live/note_display.h"

namespace live {

void NoteDisplay::ShowKey(int key, int pitchClass, int velocity, int channel) {
    key_ = std::to_string(key);
    ShowPlayedNote(static_cast<unsigned>(pitchClass), velocity, channel);
}

void NoteDisplay::ShowPlayedNote(unsigned pitchClass, int velocity, int channel) {
    playedVelocity_ = velocity;
    channel_ = std::to_string(channel + 1);
    velocity_ = std::to_string(velocity * 100 / 127) + "%";
    CycleLogoColour();
    if (pitchClass < notes_.size()) NoteClick(pitchClass);
}

void NoteDisplay::ClearPlayedNotes() {
    for (unsigned k = 0; k < notes_.size(); ++k) ShowPlayedNote(k, 0, 0);
}

void NoteDisplay::NoteClick(unsigned pitchClass) {
    // Any velocity above 0 is a key down, a half-strength touch (64) too; releases come as 0.
    if (pitchClass < notes_.size()) notes_[pitchClass] = playedVelocity_ > 0 ? kNotePressed : kNoteReleased;
}

void NoteDisplay::CycleLogoColour() {
    logoIndex_ = logoIndex_ >= static_cast<std::int32_t>(kLogoColours.size()) ? 1 : logoIndex_ + 1;
    logo_ = kLogoColours[static_cast<std::size_t>(logoIndex_ - 1)];
}

}  // namespace live
