#include "midifile/MidiCopy.h"

namespace midifile {

void MidiCopy::OnDeltaTime(uint32_t ticks) {
    Out().AddDelta(ticks);
}

void MidiCopy::OnMetaEvent(int type, int64_t length, const uint8_t* data) {
    Out().WriteMeta(type, length, data);
}
void MidiCopy::OnMetaEventInFile(int type, std::FILE* file, int64_t offset, int64_t length) {
    Out().WriteMetaFromFile(type, file, offset, length);
}
void MidiCopy::OnText(int type, int64_t length, const char*, const char* text) {
    Out().WriteText(type, length, text);
}
void MidiCopy::OnEndOfTrack() {
    Out().WriteEndOfTrack();
}
void MidiCopy::OnChannelPrefix(int channel) {
    Out().WriteChannelPrefix(channel);
}
void MidiCopy::OnPortPrefix(int port) {
    Out().WritePortPrefix(port);
}
void MidiCopy::OnSequenceNumber(int number) {
    Out().WriteSequenceNumber(number);
}
void MidiCopy::OnSmpteOffset(int rate, int hours, int minutes, int seconds, int frames, int fractional) {
    Out().WriteSmpteOffset(rate, hours, minutes, seconds, frames, fractional);
}
void MidiCopy::OnTimeSignature(int numerator, int denominator, int clocksPerClick, int thirtySeconds) {
    Out().WriteTimeSignature(numerator, denominator, clocksPerClick, thirtySeconds);
}
void MidiCopy::OnTempo(uint32_t microsecondsPerQuarter) {
    Out().WriteTempo(microsecondsPerQuarter);
}
void MidiCopy::OnKeySignature(int sharpsFlats, int minor) {
    Out().WriteKeySignature(sharpsFlats, minor);
}

void MidiCopy::OnProgramChange(int channel, int program) {
    Out().WriteProgramChange(channel, program);
}
void MidiCopy::OnControlChange(int channel, int controller, int value) {
    Out().WriteControlChange(channel, controller, value);
}
void MidiCopy::OnNoteOn(int channel, int key, int velocity) {
    Out().WriteNoteOn(channel, key, velocity);
}
void MidiCopy::OnNoteOff(int channel, int key, int velocity) {
    Out().WriteNoteOff(channel, key, velocity);
}
void MidiCopy::OnPitchBend(int channel, int value) {
    Out().WritePitchBend(channel, value);
}
void MidiCopy::OnPolyPressure(int channel, int key, int pressure) {
    Out().WritePolyPressure(channel, key, pressure);
}
void MidiCopy::OnChannelPressure(int channel, int pressure) {
    Out().WriteChannelPressure(channel, pressure);
}

void MidiCopy::OnSongPosition(int value) {
    Out().WriteSongPosition(value);
}
void MidiCopy::OnSongSelect(int song) {
    Out().WriteSongSelect(song);
}
void MidiCopy::OnTuneRequest() {
    Out().WriteSystemByte(0xF6);
}
void MidiCopy::OnTimingClock() {
    Out().WriteSystemByte(0xF8);
}
void MidiCopy::OnStart() {
    Out().WriteSystemByte(0xFA);
}
void MidiCopy::OnContinue() {
    Out().WriteSystemByte(0xFB);
}
void MidiCopy::OnStop() {
    Out().WriteSystemByte(0xFC);
}
void MidiCopy::OnActiveSensing() {
    Out().WriteSystemByte(0xFE);
}

// Exclusive events keep their form: a divided message's packets and escape packets stay as they were.
void MidiCopy::OnSysex(int64_t length, const uint8_t* data) {
    Out().WriteExclusive(0xF0, length, data);
}
void MidiCopy::OnSysexInFile(std::FILE* file, int64_t offset, int64_t length) {
    Out().WriteExclusiveFromFile(0xF0, file, offset, length);
}
void MidiCopy::OnSysexEscape(int64_t length, const uint8_t* data) {
    Out().WriteExclusive(0xF7, length, data);
}
void MidiCopy::OnSysexEscapeInFile(std::FILE* file, int64_t offset, int64_t length) {
    Out().WriteExclusiveFromFile(0xF7, file, offset, length);
}
void MidiCopy::OnXgSystemOn() {
    if (KeepsResets()) Out().WriteXgSystemOn();
}
void MidiCopy::OnGmSystemOn() {
    if (KeepsResets()) Out().WriteGmSystemOn();
}
void MidiCopy::OnGsReset() {
    if (KeepsResets()) Out().WriteGsReset();
}
void MidiCopy::OnGsExit() {
    if (KeepsResets()) Out().WriteGsExit();
}

}  // namespace midifile
