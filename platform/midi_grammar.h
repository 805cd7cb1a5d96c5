#pragma once
// The byte grammar of MIDI, in one place: which bytes are status bytes, how many data bytes each
// status carries, running status, and the variable-length quantities of MIDI files. Both the
// platform's short messages and the MIDI file library (reader, track prescan, writer) decode
// through it, so the two cannot disagree on a status byte.
//
// Header-only and Qt-free: platform/ sits below midifile/ and both reach this header through
// platform_headers, so no link edge is added; and the file reader calls these once per event, so
// they must inline. Every function is constexpr and has no state: any thread may call it.

#include <cstddef>
#include <cstdint>

namespace platform::midi {

constexpr bool IsStatus(int byte) {
    return byte >= 0x80 && byte <= 0xFF;
}
constexpr bool IsChannelStatus(int status) {
    return status >= 0x80 && status < 0xF0;
}

// Data bytes after a channel status (0x80..0xEF): 1 for program change (Cn) and channel
// pressure (Dn), 2 for every other kind.
constexpr int ChannelDataLength(int status) {
    return (status & 0xE0) == 0xC0 ? 1 : 2;
}

// Data bytes after a status byte whose message has a fixed length, as on the wire: 0..2 for the
// channel statuses, system common (F1 time-code quarter frame 1, F2 song position 2, F3 song
// select 1, F6 tune request 0) and real time (F8, FA, FB, FC, FE, FF: 0). -1 for a data byte, for
// F0 and F7 (system exclusive has no fixed length) and for the undefined F4, F5, F9, FD.
constexpr int FixedDataLength(int status) {
    if (IsChannelStatus(status)) return ChannelDataLength(status);
    switch (status) {
        case 0xF1:
        case 0xF3:
            return 1;
        case 0xF2:
            return 2;
        case 0xF6:
        case 0xF8:
        case 0xFA:
        case 0xFB:
        case 0xFC:
        case 0xFE:
        case 0xFF:
            return 0;
        default:
            return -1;
    }
}

// What a status byte starts inside a track of a Standard MIDI File. The file reuses two bytes:
// FF (system reset on the wire) introduces a meta event and F7 an escape packet, each carrying a
// variable-length count like F0 does; the time-code quarter frame F1 has no place in a file.
enum class FileEvent : std::uint8_t {
    NotStatus,   // 0x00..0x7F: a data byte where a status is needed
    Channel,     // 0x80..0xEF: ChannelDataLength data bytes; sets running status
    System,      // F2, F3, F6, F8, FA, FB, FC, FE: FixedDataLength data bytes
    Exclusive,   // F0: a length, then the data through F7
    Escape,      // F7: a length, then that many bytes as they stand
    Meta,        // FF: a type byte, a length, the data
    Unexpected,  // F1, F4, F5, F9, FD
};

constexpr FileEvent ClassifyFileStatus(int status) {
    if (!IsStatus(status)) return FileEvent::NotStatus;
    if (IsChannelStatus(status)) return FileEvent::Channel;
    switch (status) {
        case 0xF0:
            return FileEvent::Exclusive;
        case 0xF7:
            return FileEvent::Escape;
        case 0xFF:
            return FileEvent::Meta;
        case 0xF1:
            return FileEvent::Unexpected;
        default:
            return FixedDataLength(status) >= 0 ? FileEvent::System : FileEvent::Unexpected;
    }
}

// The meta event that ends a track: FF 2F with a length of 0. Anything after it in the track's
// chunk is padding.
inline constexpr int MetaEndOfTrack = 0x2F;

// True when the `available` bytes at p begin an end-of-track event (its status and type; a
// running status never stands before a meta event).
constexpr bool StartsEndOfTrack(const std::uint8_t* p, std::size_t available) {
    return available >= 2 && ClassifyFileStatus(p[0]) == FileEvent::Meta && p[1] == MetaEndOfTrack;
}

// The one-byte system messages a file may hold (tune request and the real-time messages).
constexpr bool IsSystemByte(int status) {
    return ClassifyFileStatus(status) == FileEvent::System && FixedDataLength(status) == 0;
}

// Running status: the status of the next event given its first byte and the running status in
// force (-1 none). A status byte, or any byte while none is in force, is the status itself and is
// consumed; a data byte under running status leaves the byte to be read as data. Only channel
// statuses become the running status (IsChannelStatus); a file's meta and exclusive events
// between them leave it as it was.
struct ResolvedStatus {
    int status;
    bool consumed;  // the byte was the status (else it is the first data byte)
};
constexpr ResolvedStatus ResolveStatus(std::uint8_t next, int running) {
    if (IsStatus(next) || running < 0) return {next, true};
    return {running, false};
}

// Variable-length quantities: 7-bit groups, most significant first, the top bit set on every byte
// but the last; at most four bytes, so the largest is 0x0FFFFFFF.
inline constexpr std::uint32_t MaxVarLen = 0x0FFFFFFF;
inline constexpr int MaxVarLenBytes = 4;

enum class VarLenEnd : std::uint8_t {
    Complete,   // a byte without the top bit ended it
    Truncated,  // the bytes ran out first (fewer than four were there, each with the top bit)
    TooLong,    // four bytes, each with the top bit
};
struct VarLen {
    std::uint32_t value;  // the groups read: the quantity when Complete, what was there otherwise
    int bytes;            // bytes taken: the quantity's own, all that were there, or four
    VarLenEnd end;
};

// Decodes a quantity from the `available` bytes at p (only the first four are looked at).
constexpr VarLen DecodeVarLen(const std::uint8_t* p, std::size_t available) {
    std::uint32_t value = 0;
    const int n = available < MaxVarLenBytes ? static_cast<int>(available) : MaxVarLenBytes;
    for (int i = 0; i < n; ++i) {
        value = (value << 7) | (p[i] & 0x7Fu);
        if ((p[i] & 0x80) == 0) return {value, i + 1, VarLenEnd::Complete};
    }
    return {value, n, n == MaxVarLenBytes ? VarLenEnd::TooLong : VarLenEnd::Truncated};
}

// Encodes value, clamped to MaxVarLen, into the first bytes of out; returns their count (1..4).
constexpr int EncodeVarLen(std::uint32_t value, std::uint8_t (&out)[MaxVarLenBytes]) {
    if (value > MaxVarLen) value = MaxVarLen;
    int n = 1;
    while (n < MaxVarLenBytes && (value >> (7 * n)) != 0) ++n;
    for (int i = 0; i < n; ++i) {
        const auto group = static_cast<std::uint8_t>((value >> (7 * (n - 1 - i))) & 0x7F);
        out[i] = static_cast<std::uint8_t>(i + 1 < n ? group | 0x80 : group);
    }
    return n;
}

}  // namespace platform::midi
