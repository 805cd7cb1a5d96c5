// MidiRead: decoding one event (channel, system, exclusive and meta) and the exclusive length rule.
#include <algorithm>
#include <cstring>

#include "midifile/MidiRead.h"
#include "platform/midi_grammar.h"

namespace midifile {

namespace midi = platform::midi;

const uint8_t GmSystemOnMessage[6] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
const uint8_t GsResetMessage[11] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const uint8_t GsExitMessage[11] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x7F, 0x42, 0xF7};
const uint8_t XgSystemOnMessage[9] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

void MidiRead::ReportByte(const char* format, int byte) {
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(byte) & 0xFFu);
    ReportError(text);
}

int64_t MidiRead::ReadEvent(int64_t end) {
    if (Aborted) return 0;
    EventStart = ReadPos;
    const uint8_t* next = Peek(1);
    if (next == nullptr) {
        ReportError("unexpected end of file");
        return 0;
    }
    const midi::ResolvedStatus resolved = midi::ResolveStatus(*next, RunningStatus);
    if (resolved.consumed) ++ReadPos;
    const int status = resolved.status;
    bool ok = true;
    switch (midi::ClassifyFileStatus(status)) {
        case midi::FileEvent::NotStatus:
            ReportByte("illegal midi command %02X", status);
            return 0;
        case midi::FileEvent::Unexpected:
            ReportByte("unexpected command byte %02X", status);
            return 0;
        case midi::FileEvent::Channel:
            ok = ReadChannelMessage(status);
            break;
        case midi::FileEvent::Exclusive:
        case midi::FileEvent::Escape:
            ok = ReadSysex(status, end);
            break;
        case midi::FileEvent::Meta:
            ok = ReadMeta(end);
            break;
        case midi::FileEvent::System:
            ok = ReadSystemMessage(status);
            break;
    }
    if (!ok) return 0;
    return ReadPos - EventStart;
}

bool MidiRead::ReadSystemMessage(int status) {
    const int64_t n = midi::FixedDataLength(status);
    const uint8_t* d = nullptr;
    if (n > 0 && (d = Consume(n)) == nullptr) return false;
    if ((EventMask & MaskRawSystem) != 0) {
        OnRawEvent(status, n, d);
        return true;
    }
    switch (status) {
        case 0xF2:
            OnSongPosition(d[0] + d[1] * 128);
            break;
        case 0xF3:
            OnSongSelect(d[0]);
            break;
        case 0xF6:
            OnTuneRequest();
            break;
        case 0xF8:
            OnTimingClock();
            break;
        case 0xFA:
            OnStart();
            break;
        case 0xFB:
            OnContinue();
            break;
        case 0xFC:
            OnStop();
            break;
        default:
            OnActiveSensing();
            break;
    }
    return true;
}

bool MidiRead::ReadChannelMessage(int status) {
    const int channel = status & 0x0F;
    RunningStatus = status;
    const uint8_t* d = Consume(midi::ChannelDataLength(status));
    if (d == nullptr) return false;
    switch (status & 0xF0) {
        case 0x80:
        case 0x90:
            if ((EventMask & MaskRawNotes) != 0)
                OnRawEvent(status, 2, d);
            else if ((status & 0xF0) == 0x80 || d[1] == 0)
                OnNoteOff(channel, d[0], d[1]);
            else
                OnNoteOn(channel, d[0], d[1]);
            return true;
        case 0xA0:
            if ((EventMask & MaskRawPolyPressure) != 0)
                OnRawEvent(status, 2, d);
            else
                OnPolyPressure(channel, d[0], d[1]);
            return true;
        case 0xB0: {
            // A copy: the pitch-bend-range look-ahead may move the buffer's window.
            const uint8_t bytes[2] = {d[0], d[1]};
            if (bytes[1] >= 0x80) OnWarning("invalid control value used");
            if ((EventMask & MaskRawControlChange) != 0)
                OnRawEvent(status, 2, bytes);
            else if ((EventMask & MaskAllControllers) != 0)
                OnControlChange(channel, bytes[0], bytes[1]);
            else
                return ReadControlChange(channel, bytes);
            return true;
        }
        case 0xC0: {
            const uint8_t program = d[0];
            if (program >= 0x80) OnWarning("invalid program used");
            if ((EventMask & MaskRawProgramChange) != 0)
                OnRawEvent(status, 1, &program);
            else
                OnProgramChange(channel, program);
            return true;
        }
        case 0xD0:
            if ((EventMask & MaskRawChannelPressure) != 0)
                OnRawEvent(status, 1, d);
            else
                OnChannelPressure(channel, d[0]);
            return true;
        default:  // 0xE0
            if ((EventMask & MaskRawPitchBend) != 0)
                OnRawEvent(status, 2, d);
            else
                OnPitchBend(channel, d[0] + d[1] * 128);
            return true;
    }
}

bool MidiRead::ReadControlChange(int channel, const uint8_t* data) {
    const int value = data[1];
    switch (data[0]) {
        case 0:
            OnBankSelectMsb(channel, value);
            break;
        case 1:
            OnModulation(channel, value);
            break;
        case 2:
            OnBreath(channel, value);
            break;
        case 4:
            OnFoot(channel, value);
            break;
        case 5:
            OnPortamentoTime(channel, value);
            break;
        case 6:
            OnDataEntry(channel, value);
            break;
        case 7:
            OnVolume(channel, value);
            break;
        case 10:
            OnPan(channel, value);
            break;
        case 11:
            OnExpression(channel, value);
            break;
        case 32:
            OnBankSelectLsb(channel, value);
            break;
        case 64:
            OnSustain(channel, value);
            break;
        case 91:
            OnReverb(channel, value);
            break;
        case 93:
            OnChorus(channel, value);
            break;
        case 96:
            OnDataIncrement(channel, value);
            break;
        case 97:
            OnDataDecrement(channel, value);
            break;
        case 100:
            OnRpnLsb(channel, value);
            break;
        case 101: {
            // RPN 0/0 then data entry, each with its own status byte and a zero delta: one call.
            const uint8_t status = static_cast<uint8_t>(RunningStatus);
            const uint8_t* q = value == 0 ? Peek(8) : nullptr;
            if (q != nullptr && q[0] == 0 && q[1] == status && q[2] == 0x64 && q[3] == 0 && q[4] == 0 &&
                q[5] == status && q[6] == 0x06) {
                const int semitones = q[7];
                ReadPos += 8;
                OnPitchBendRange(channel, semitones);
            } else {
                OnRpnMsb(channel, value);
            }
            break;
        }
        default:
            OnControlChange(channel, data[0], value);
            break;
    }
    return true;
}

bool MidiRead::ReadMeta(int64_t end) {
    const int64_t typeOffset = ReadPos;
    const int type = ReadByte();
    if (type < 0) {
        ReportError("unexpected end of file");
        return false;
    }
    const int64_t length = ReadVarLen();
    if (Stopped()) return false;
    const int64_t dataOffset = ReadPos;
    if (length > end - dataOffset) {
        ReportError("unexpected end of file");
        TrackEnded = true;
        return false;
    }
    if (type == platform::midi::MetaEndOfTrack)
        TrackEnded = true;  // the track ends here; anything after it is padding

    if ((EventMask & MaskRawSystem) != 0) {
        const int64_t span = 1 + VarLenBytes + length;
        if (span < AvailableAt(typeOffset)) {
            const uint8_t* d = BlockAt(typeOffset, span);
            if (d == nullptr) return ReportError("unexpected end of file"), false;
            OnRawEvent(0xFF, span, d);
        } else {
            OnRawEventInFile(0xFF, FileHandle(), typeOffset, span);
        }
        ReadPos = typeOffset + span;
        return true;
    }
    ReadPos = dataOffset + length;
    const bool undecoded = (EventMask & MaskUndecodedMeta) != 0 && type != platform::midi::MetaEndOfTrack;
    if (undecoded ? length >= AvailableAt(dataOffset) : length > AvailableAt(dataOffset)) {
        OnMetaEventInFile(type, FileHandle(), dataOffset, length);
        return true;
    }
    const uint8_t* d = BlockAt(dataOffset, length);
    if (d == nullptr) return ReportError("unexpected end of file"), false;
    if (undecoded) {
        OnMetaEvent(type, length, d);
        return true;
    }
    static const char* const kinds[] = {"text",  "copyright", "trackname", "instrument",
                                        "lyric", "marker",    "cuepoint"};
    switch (type) {
        case 0x00:
            if (length == 2) return OnSequenceNumber(d[0] * 256 + d[1]), true;
            break;
        case 0x20:
            if (length == 1) return OnChannelPrefix(d[0]), true;
            break;
        case 0x21:
            if (length == 1) return OnPortPrefix(d[0]), true;
            break;
        case platform::midi::MetaEndOfTrack:
            return OnEndOfTrack(), true;
        case 0x51:
            if (length >= 3) {
                CurrentTempo = (uint32_t{d[0]} << 16) | (uint32_t{d[1]} << 8) | d[2];
                return OnTempo(CurrentTempo), true;
            }
            break;
        case 0x54:
            if (length == 5) return OnSmpteOffset(d[0] >> 5, d[0] & 0x1F, d[1], d[2], d[3], d[4]), true;
            break;
        case 0x58:
            if (length == 4 && d[1] <= 30) return OnTimeSignature(d[0], 1 << d[1], d[2], d[3]), true;
            break;
        case 0x59:
            if (length == 2) {
                const int sf = static_cast<int8_t>(d[0]);
                const int mi = static_cast<int8_t>(d[1]);
                if (sf >= -7 && sf <= 7 && mi >= 0 && mi <= 1) return OnKeySignature(sf, mi), true;
            }
            break;
        default:
            if (type >= 0x01 && type <= 0x0F) {
                OnText(type, length, type <= 0x07 ? kinds[type - 1] : nullptr,
                       reinterpret_cast<const char*>(d));
                return true;
            }
            break;
    }
    OnMetaEvent(type, length, d);
    return true;
}

bool MidiRead::ReadSysex(int status, int64_t end) {
    const bool raw = (EventMask & MaskNoResetMatch) != 0 && (EventMask & MaskRawSystem) != 0;
    const bool escape = status == 0xF7;
    int64_t length;
    if (escape) {
        // An escape packet: exactly its length of bytes, no closing F7 required.
        length = ReadVarLen();
        if (Stopped()) return false;
        if (length > end - ReadPos) {
            ReportError("unexpected end of file");
            TrackEnded = true;
            return false;
        }
    } else {
        length = SysexDataLength(end - ReadPos);
        if (length < 0) {
            ReportError("end of sysex not found");
            return false;
        }
    }
    const int64_t dataOffset = ReadPos;
    if (length == 0 || length < AvailableAt(dataOffset)) {
        static const uint8_t kNoData[1] = {0};
        const uint8_t* d = length == 0 ? kNoData : Consume(length);
        if (d == nullptr) return false;
        if (escape) {
            if (raw)
                OnRawEvent(status, length, d);
            else
                OnSysexEscape(length, d);
        } else if ((EventMask & MaskNoResetMatch) != 0) {
            if (raw)
                OnRawEvent(status, length, d);
            else
                OnSysex(length, d);
        } else if (MatchesResetMessage(GmSystemOnMessage, sizeof GmSystemOnMessage, d, length)) {
            OnGmSystemOn();
        } else if (MatchesResetMessage(GsResetMessage, sizeof GsResetMessage, d, length)) {
            OnGsReset();
        } else if (MatchesResetMessage(GsExitMessage, sizeof GsExitMessage, d, length)) {
            OnGsExit();
        } else if (MatchesResetMessage(XgSystemOnMessage, sizeof XgSystemOnMessage, d, length)) {
            OnXgSystemOn();
        } else {
            OnSysex(length, d);
        }
        return true;
    }
    ReadPos = dataOffset + length;
    if ((EventMask & MaskRawSystem) != 0)
        OnRawEventInFile(status, FileHandle(), dataOffset, length);
    else if (escape)
        OnSysexEscapeInFile(FileHandle(), dataOffset, length);
    else
        OnSysexInFile(FileHandle(), dataOffset, length);
    return true;
}

int64_t MidiRead::SysexDataLength(int64_t limit) {
    const int64_t fieldStart = ReadPos;
    if (limit <= 0) return -1;
    // The declared length is taken whenever it can hold: a complete field of at most four bytes
    // and data that fits the track, whatever its last byte is (a divided message's first packet
    // has no F7, and an F7 inside other data must not swallow the events after it).
    const int64_t available = std::min<int64_t>(midi::MaxVarLenBytes, limit);
    if (const uint8_t* p = Peek(available)) {
        const midi::VarLen field = midi::DecodeVarLen(p, static_cast<size_t>(available));
        if (field.end == midi::VarLenEnd::Complete && int64_t{field.value} <= limit - field.bytes) {
            ReadPos = fieldStart + field.bytes;
            return field.value;
        }
    }
    // No declared length can hold: the data runs from the field's start through the next F7.
    ReadPos = fieldStart;
    for (int64_t scanned = 0; scanned < limit;) {
        const int64_t k = std::min(AvailableAt(fieldStart + scanned), limit - scanned);
        const uint8_t* q = k > 0 ? BlockAt(fieldStart + scanned, k) : nullptr;
        if (q == nullptr) break;
        if (const void* f = std::memchr(q, 0xF7, static_cast<size_t>(k)))
            return scanned + (static_cast<const uint8_t*>(f) - q) + 1;
        scanned += k;
    }
    return -1;
}

bool MidiRead::MatchesResetMessage(const uint8_t* pattern, size_t patternLength, const uint8_t* data,
                                   int64_t length) {
    if (patternLength < 2 || length != static_cast<int64_t>(patternLength) - 1) return false;
    for (size_t i = 0; i + 1 < patternLength; ++i) {
        const uint8_t want = pattern[i + 1];
        if (i == 1 && (want & 0xF0) == 0x10) {
            if ((data[i] & 0xF0) != 0x10) return false;  // any device number 0x10..0x1F
        } else if (data[i] != want) {
            return false;
        }
    }
    return true;
}

}  // namespace midifile
