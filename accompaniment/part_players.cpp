#include "accompaniment/part_players.h"

#include <algorithm>

namespace accompaniment {

PartPlayers::PartPlayers(PlayerState& state, const PartData& data, const ChordResult& chord,
                         AccompanimentHost& host)
    : s_(state), d_(data), chord_(chord), host_(host) {}

void PartPlayers::PlayStep(std::int32_t step) {
    for (std::size_t v = 1; v <= kParts; ++v) {
        if (d_.ThruChannel != d_.PartChannels[v]) continue;
        host_.StopPlaying();
        // Steps that were already on their way after the stop must not repeat the box.
        if (!s_.clashReported) {
            s_.clashReported = true;
            host_.ErrorBox(kThruClashText);
        }
        return;
    }
    if (step < 0 || step >= kSteps) return;
    for (int p = 0; p < kParts; ++p)
        if (d_.PartSteps[static_cast<std::size_t>(p)][static_cast<std::size_t>(step)].note != 0)
            PlayPart(p, step);
}

std::int32_t PartPlayers::SoundingNote(int part, std::int32_t written) const {
    std::int32_t adj = 0;
    const std::int32_t cls = ((written % 12) + 12) % 12;
    for (const AdjustPair& pair : chord_.adjust)
        if (pair.cls != -1 && pair.cls == cls) adj = pair.semitones;
    std::int32_t note = written + d_.PartOctaveOffsets[static_cast<std::size_t>(part)] + chord_.root + adj;
    // A note pushed out of the MIDI range by its octave and chord moves back by octaves.
    while (note > 127) note -= 12;
    while (note < 0) note += 12;
    return note;
}

void PartPlayers::sendProgram(int channel, std::int32_t programItem) {
    // The blank instrument item has no program: nothing is sent for it.
    if (programItem < 1 || programItem > 128) return;
    host_.ShortMidiMsg(0x40 + channel, programItem - 1, 0);
}

void PartPlayers::PlayPart(int part, std::int32_t step) {
    const auto p = static_cast<std::size_t>(part);
    const PartStep& e = d_.PartSteps[p][static_cast<std::size_t>(step)];
    const int ch = d_.PartChannels[p + 1] & 0x0F;
    host_.DisarmPartTimer(part);
    host_.ShortMidiMsg(0x10 + (s_.lastChannel[p] < 0 ? ch : s_.lastChannel[p]), s_.LastPartNote[p], 0);
    sendProgram(ch, d_.PartPrograms[p + 1]);
    s_.LastPartProgram[p] = d_.PartPrograms[p + 1];
    const std::int32_t note = SoundingNote(part, e.note);
    s_.LastPartNote[p] = note;
    s_.lastChannel[p] = ch;
    host_.ShortMidiMsg(0x10 + ch, note, s_.Silenced == 1 ? 0 : std::clamp(e.velocity, 0, 127));
    // A duration of 0 arms no release: the note sounds until the part's next note or a panic.
    if (e.duration > 0) host_.ArmPartTimer(part, e.duration);
}

void PartPlayers::PartTimerFired(int part) {
    if (part < 0 || part >= kParts) return;
    const auto p = static_cast<std::size_t>(part);
    const int ch = s_.lastChannel[p] < 0 ? d_.PartChannels[p + 1] & 0x0F : s_.lastChannel[p];
    sendProgram(ch, s_.LastPartProgram[p]);
    host_.ShortMidiMsg(0x10 + ch, s_.LastPartNote[p], 0);
    host_.DisarmPartTimer(part);
}

void PartPlayers::ReleaseSounding() {
    for (int part = 0; part < kParts; ++part) {
        const auto p = static_cast<std::size_t>(part);
        if (s_.lastChannel[p] < 0) continue;  // nothing played yet
        host_.DisarmPartTimer(part);
        host_.ShortMidiMsg(0x10 + s_.lastChannel[p], s_.LastPartNote[p], 0);
    }
}

}  // namespace accompaniment
