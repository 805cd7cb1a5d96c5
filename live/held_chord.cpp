#include "live/held_chord.h"

#include <algorithm>

namespace live {

HeldChordVoicing::HeldChordVoicing(HeldChordState& state, const accompaniment::ChordState& chord,
                                   const accompaniment::PartData& data,
                                   accompaniment::AccompanimentHost& host)
    : s_(state), chord_(chord), d_(data), host_(host) {}

std::int32_t HeldChordVoicing::PlaceBelow(std::int32_t cls, std::int32_t t) {
    std::int32_t n = (t / 12) * 12 + cls;
    if (n > t) n -= 12;
    return n;
}

void HeldChordVoicing::sound(std::int32_t note) {
    // Voices outside the MIDI range are not sent.
    if (note < 0 || note > 127) return;
    const int ch = d_.ThruChannel & 0x0F;
    host_.ShortMidiMsg(0x10 + ch, note, chordVelocity_);
    if (chordVelocity_ > 0) sounding_.push_back({ch, note, thruNote_});
}

void HeldChordVoicing::release(int channel, std::int32_t note) {
    if (note < 0 || note > 127) return;
    host_.ShortMidiMsg(0x10 + channel, note, 0);
    std::erase_if(sounding_, [&](const Voice& v) { return v.channel == channel && v.note == note; });
}

void HeldChordVoicing::SoundHeldChord() {
    // A re-voiced chord follows a THRU key only while that key is held; with none held it would
    // sound on with nothing to end it.
    if (!thruHeld_ || chordVelocity_ <= 0) return;
    const std::int32_t t = thruNote_;
    auto voice = [&](std::size_t slot, std::size_t classIndex) {
        const std::int32_t n = PlaceBelow(chord_.HeldClassList[classIndex], t);
        sound(n);
        s_.HeldChordNotes[slot + 3] = s_.HeldChordNotes[slot];
        s_.HeldChordNotes[slot] = static_cast<std::uint16_t>(std::clamp(n, 0, 127));
    };
    voice(0, 1);
    voice(1, 2);
    if (chord_.SeventhMode == 1)
        voice(2, 3);
    else
        sound(t - 12);
}

void HeldChordVoicing::ReleaseHeldChordNotes() {
    const int ch = d_.ThruChannel & 0x0F;
    for (std::uint16_t n : s_.HeldChordNotes) release(ch, n);
    auto rest = sounding_;
    for (const Voice& v : rest) release(v.channel, v.note);
}

void HeldChordVoicing::ReleaseThirdVoice() {
    release(d_.ThruChannel & 0x0F, s_.HeldChordNotes[2]);
}

void HeldChordVoicing::ThruKeyReleased(std::int32_t thruNote) {
    auto mine = sounding_;
    for (const Voice& v : mine)
        if (v.forKey == thruNote) release(v.channel, v.note);
    if (thruNote == thruNote_) thruHeld_ = false;
}

}  // namespace live
