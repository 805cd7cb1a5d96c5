#pragma once
// Packed short MIDI messages: status in the low byte, then data 1, then data 2.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

struct ShortMessageBytes {
    std::uint8_t bytes[3];
    std::size_t length;  // 1..3
};

// The bytes of a well-formed packed message, or nothing when the low byte is not a status
// byte, the status is undefined or cannot stand alone (F0, F4, F5, F7, F9, FD), or a data
// byte the status needs is 0x80 or above. Bytes the status does not use are ignored.
std::optional<ShortMessageBytes> decodeShortMessage(std::uint32_t packed);

inline std::uint32_t packShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    return std::uint32_t{status} | (std::uint32_t{data1} << 8) | (std::uint32_t{data2} << 16);
}

}  // namespace platform
