#include "platform/short_message.h"

#include "platform/midi_grammar.h"

namespace platform {

std::optional<ShortMessageBytes> decodeShortMessage(std::uint32_t packed) {
    ShortMessageBytes m{};
    m.bytes[0] = static_cast<std::uint8_t>(packed & 0xFF);
    m.bytes[1] = static_cast<std::uint8_t>((packed >> 8) & 0xFF);
    m.bytes[2] = static_cast<std::uint8_t>((packed >> 16) & 0xFF);
    // F0/F7 belong to system exclusive, which a packed message cannot carry.
    const int data = midi::FixedDataLength(m.bytes[0]);
    if (data < 0) return std::nullopt;
    for (int i = 1; i <= data; ++i)
        if (m.bytes[i] >= 0x80) return std::nullopt;
    m.length = static_cast<std::size_t>(1 + data);
    for (std::size_t i = m.length; i < 3; ++i) m.bytes[i] = 0;
    return m;
}

}  // namespace platform
