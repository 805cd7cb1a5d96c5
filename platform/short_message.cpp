#include "platform/short_message.h"

namespace platform {

int shortMessageDataLength(std::uint8_t status) {
    if (status < 0x80) return -1;
    switch (status & 0xF0) {
        case 0xC0:
        case 0xD0: return 1;
        case 0xF0: break;
        default: return 2;
    }
    switch (status) {
        case 0xF1:
        case 0xF3: return 1;
        case 0xF2: return 2;
        case 0xF6:
        case 0xF8:
        case 0xFA:
        case 0xFB:
        case 0xFC:
        case 0xFE:
        case 0xFF: return 0;
        default: return -1;  // F0/F7 belong to system exclusive; F4, F5, F9, FD are undefined
    }
}

std::optional<ShortMessageBytes> decodeShortMessage(std::uint32_t packed) {
    ShortMessageBytes m{};
    m.bytes[0] = static_cast<std::uint8_t>(packed & 0xFF);
    m.bytes[1] = static_cast<std::uint8_t>((packed >> 8) & 0xFF);
    m.bytes[2] = static_cast<std::uint8_t>((packed >> 16) & 0xFF);
    const int data = shortMessageDataLength(m.bytes[0]);
    if (data < 0) return std::nullopt;
    for (int i = 1; i <= data; ++i)
        if (m.bytes[i] >= 0x80) return std::nullopt;
    m.length = static_cast<std::size_t>(1 + data);
    for (std::size_t i = m.length; i < 3; ++i) m.bytes[i] = 0;
    return m;
}

}  // namespace platform
