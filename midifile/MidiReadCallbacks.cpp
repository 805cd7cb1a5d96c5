// MidiRead: the default callbacks. Most do nothing; the named controllers forward to
// OnControlChange, the pitch-bend range replays its RPN sequence, a large pause warns.
#include "midifile/MidiRead.h"

namespace midifile {

void MidiRead::OnHeader(int, int, int) {}
void MidiRead::OnTrackStart(int, int64_t, int) {}
void MidiRead::OnTrackEnd(int) {}
void MidiRead::OnDeltaTime(uint32_t) {}
void MidiRead::OnRawEvent(int, int64_t, const uint8_t*) {}
void MidiRead::OnRawEventInFile(int, std::FILE*, int64_t, int64_t) {}
void MidiRead::OnMetaEvent(int, int64_t, const uint8_t*) {}
void MidiRead::OnMetaEventInFile(int, std::FILE*, int64_t, int64_t) {}
void MidiRead::OnText(int, int64_t, const char*, const char*) {}
void MidiRead::OnEndOfTrack() {}
void MidiRead::OnChannelPrefix(int) {}
void MidiRead::OnPortPrefix(int) {}
void MidiRead::OnSequenceNumber(int) {}
void MidiRead::OnSmpteOffset(int, int, int, int, int, int) {}
void MidiRead::OnTimeSignature(int, int, int, int) {}
void MidiRead::OnTempo(uint32_t) {}
void MidiRead::OnKeySignature(int, int) {}
void MidiRead::OnProgramChange(int, int) {}
void MidiRead::OnControlChange(int, int, int) {}
void MidiRead::OnBankSelectMsb(int channel, int value) {
    OnControlChange(channel, 0, value);
}
void MidiRead::OnModulation(int channel, int value) {
    OnControlChange(channel, 1, value);
}
void MidiRead::OnBreath(int channel, int value) {
    OnControlChange(channel, 2, value);
}
void MidiRead::OnFoot(int channel, int value) {
    OnControlChange(channel, 4, value);
}
void MidiRead::OnPortamentoTime(int channel, int value) {
    OnControlChange(channel, 5, value);
}
void MidiRead::OnDataEntry(int channel, int value) {
    OnControlChange(channel, 6, value);
}
void MidiRead::OnVolume(int channel, int value) {
    OnControlChange(channel, 7, value);
}
void MidiRead::OnPan(int channel, int value) {
    OnControlChange(channel, 10, value);
}
void MidiRead::OnExpression(int channel, int value) {
    OnControlChange(channel, 11, value);
}
void MidiRead::OnBankSelectLsb(int channel, int value) {
    OnControlChange(channel, 32, value);
}
void MidiRead::OnSustain(int channel, int value) {
    OnControlChange(channel, 64, value);
}
void MidiRead::OnReverb(int channel, int value) {
    OnControlChange(channel, 91, value);
}
void MidiRead::OnChorus(int channel, int value) {
    OnControlChange(channel, 93, value);
}
void MidiRead::OnDataIncrement(int channel, int value) {
    OnControlChange(channel, 96, value);
}
void MidiRead::OnDataDecrement(int channel, int value) {
    OnControlChange(channel, 97, value);
}
void MidiRead::OnRpnLsb(int channel, int value) {
    OnControlChange(channel, 100, value);
}
void MidiRead::OnRpnMsb(int channel, int value) {
    OnControlChange(channel, 101, value);
}
void MidiRead::OnPitchBendRange(int channel, int semitones) {
    OnRpnMsb(channel, 0);
    OnDeltaTime(0);
    OnRpnLsb(channel, 0);
    OnDeltaTime(0);
    OnDataEntry(channel, semitones);
}
void MidiRead::OnNoteOn(int, int, int) {}
void MidiRead::OnNoteOff(int, int, int) {}
void MidiRead::OnPitchBend(int, int) {}
void MidiRead::OnPolyPressure(int, int, int) {}
void MidiRead::OnChannelPressure(int, int) {}
void MidiRead::OnSongPosition(int) {}
void MidiRead::OnSongSelect(int) {}
void MidiRead::OnTuneRequest() {}
void MidiRead::OnTimingClock() {}
void MidiRead::OnStart() {}
void MidiRead::OnContinue() {}
void MidiRead::OnStop() {}
void MidiRead::OnActiveSensing() {}
void MidiRead::OnSysex(int64_t, const uint8_t*) {}
void MidiRead::OnSysexInFile(std::FILE*, int64_t, int64_t) {}
void MidiRead::OnSysexEscape(int64_t, const uint8_t*) {}
void MidiRead::OnSysexEscapeInFile(std::FILE*, int64_t, int64_t) {}
void MidiRead::OnXgSystemOn() {}
void MidiRead::OnGmSystemOn() {}
void MidiRead::OnGsReset() {}
void MidiRead::OnGsExit() {}
void MidiRead::OnEndOfFile() {}
void MidiRead::OnLargePause(uint32_t) {
    OnWarning("Unrealistic large pause found");
}
void MidiRead::OnProgress(int) {}

}  // namespace midifile
