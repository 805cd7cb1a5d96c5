#include "live/midi_input.h"

#include "platform/midi_grammar.h"

namespace live {

MidiInput::MidiInput(MidiInputState& state, accompaniment::PartData& data, accompaniment::ChordState& chord,
                     accompaniment::ChordFollower& follower, HeldChordVoicing& voicing, LiveHost& host,
                     const std::uint8_t& drumChannel)
    : s_(state),
      d_(data),
      chord_(chord),
      follower_(follower),
      voicing_(voicing),
      host_(host),
      drumChannel_(drumChannel) {}

void MidiInput::HandleMidiInput(std::uint32_t packed) {
    s_.MidiInBusy = 1;
    const std::uint8_t status = packed & 0xFF;
    const auto d1 = static_cast<std::uint16_t>((packed >> 8) & 0xFF);
    const auto d2 = static_cast<std::uint16_t>((packed >> 16) & 0xFF);
    using platform::midi::IsStatus;
    if (!IsStatus(status) || IsStatus(d1) || IsStatus(d2)) {  // not a message: nothing to decode
        s_.MidiInBusy = 0;
        return;
    }
    if (platform::midi::IsChannelStatus(status)) {
        s_.InStatusKind = status & 0xF0;
        s_.InChannelIndex = status & 0x0F;
    } else {
        s_.InStatusKind = status;
        s_.InChannelIndex = 0;
    }
    s_.InNote = d1;
    s_.InVelocity = d2;
    s_.LastMidiStatus = s_.InStatusKind;

    switch (s_.InStatusKind) {
        case 0xC0:
            d_.ThruProgram = static_cast<std::int8_t>(s_.InNote);
            host_.ShowCurrentInstrument(s_.InNote);
            s_.ThruProgramIndex = s_.InNote + 1;
            break;
        case 0x80:
            keyUp(d1);
            break;
        case 0x90:
            if (d2 == 0)
                keyUp(d1);
            else
                keyDown(d1, d2);
            break;
        case 0xA0:
        case 0xB0:
            // Key pressure and controllers are no keys: they pass on unchanged on the THRU
            // channel and are dropped elsewhere.
            if (s_.InChannelIndex == d_.ThruChannel) host_.ShortMidiMsg(status - 0x80, d1, d2);
            break;
        default:
            // Channel pressure, pitch bend (on their own channel) and system messages.
            host_.ShortMidiMsg(status - 0x80, d1, d2);
            break;
    }
    s_.MidiInBusy = 0;
}

void MidiInput::sendThruProgram() {
    // Before any program change has come in there is no program to send.
    if (s_.ThruProgramIndex >= 1 && s_.ThruProgramIndex <= 128)
        host_.ShortMidiMsg(0x40 + (d_.ThruChannel & 0x0F), s_.ThruProgramIndex - 1, 0);
}

MidiInput::Route MidiInput::playThru(std::uint16_t key, std::uint16_t velocity) {
    Route r{Route::Kind::Thru};
    const int ch = d_.ThruChannel & 0x0F;
    r.channel = ch;
    const std::int32_t note = key + d_.ThruTranspose;
    r.thruNote = note;
    s_.InNote = static_cast<std::uint16_t>(note);
    s_.ThruNote = s_.InNote;
    s_.ChordVelocity = velocity > 20 ? velocity - 20 : velocity;
    sendThruProgram();
    if (velocity < 20 && chord_.ChordHoldMode == 1) voicing_.ReleaseThirdVoice();
    if (note >= 0 && note <= 127) {  // a key transposed out of range is not sent
        host_.ShortMidiMsg(0x10 + ch, note, velocity);
        r.note = note;
    }
    voicing_.SetThruKey(note, s_.ChordVelocity, true);
    s_.MidiInBusy = 0;
    if (chord_.ChordHoldMode == 1) voicing_.SoundHeldChord();
    return r;
}

void MidiInput::keyDown(std::uint16_t key, std::uint16_t velocity) {
    const auto id = std::make_pair(int{s_.InChannelIndex}, int{key});
    const bool drumChannel = s_.InChannelIndex == drumChannel_ || s_.InChannelIndex == 10;
    const bool chordKey = !drumChannel && key < d_.SplitPoint;
    if (auto held = routes_.find(id); held != routes_.end()) {
        // A repeated note-on of a held chord key only records its velocity again: lifting it
        // first would make the same velocity count as a new chord.
        if (chordKey && held->second.kind == Route::Kind::Chord) {
            host_.ShowPlayedNote(key, key % 12, velocity, s_.InChannelIndex);
            follower_.SetChordKey(key % 12, velocity);
            return;
        }
        keyUp(key);  // any other repeated note-on ends what the first one started
    }
    Route r;
    if (!drumChannel) {
        host_.ShowPlayedNote(key, key % 12, velocity, s_.InChannelIndex);
        if (chordKey) {
            r = {Route::Kind::Chord, static_cast<std::uint32_t>(key % 12)};
            routes_[id] = r;
            follower_.SetChordKey(key % 12, velocity);
            return;
        }
    }
    if (s_.InChannelIndex == d_.ThruChannel) r = playThru(key, velocity);
    routes_[id] = r;
}

void MidiInput::keyUp(std::uint16_t key) {
    const auto id = std::make_pair(int{s_.InChannelIndex}, int{key});
    auto it = routes_.find(id);
    const bool drumChannel = s_.InChannelIndex == drumChannel_ || s_.InChannelIndex == 10;
    if (!drumChannel) host_.ShowPlayedNote(key, key % 12, 0, s_.InChannelIndex);
    if (it == routes_.end()) return;  // a release of a key we never saw go down
    const Route r = it->second;
    routes_.erase(it);
    switch (r.kind) {
        case Route::Kind::Display:
            break;
        case Route::Kind::Chord:
            follower_.SetChordKey(r.pitchClass, 0);
            break;
        case Route::Kind::Thru:
            s_.ChordVelocity = 0;
            sendThruProgram();
            if (chord_.ChordHoldMode == 1) voicing_.ReleaseThirdVoice();
            if (r.note >= 0) host_.ShortMidiMsg(0x10 + r.channel, r.note, 0);
            // The voices were placed for the key as it was transposed at the press; the
            // octave may have changed since.
            voicing_.ThruKeyReleased(r.thruNote);
            break;
    }
}

}  // namespace live
