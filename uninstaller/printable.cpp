#include "uninstaller/printable.h"

namespace kwu {
namespace {

bool continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at text[i] (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char c = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (at(1) < low || at(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!continuation(at(k))) return 0;
    return length;
}

// The code point of the well-formed sequence of length bytes at text[i].
char32_t codePoint(std::string_view text, std::size_t i, std::size_t length) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = at(0) & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (at(k) & 0x3F);
    return c;
}

// Characters that are shown escaped although they are well-formed: the C1 controls, the
// bidirectional controls and the line and paragraph separators.
bool rearranges(char32_t c) {
    return (c >= 0x80 && c < 0xA0) || c == 0x061C || c == 0x200E || c == 0x200F || c == 0x2028 ||
           c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void escape(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F)
                escape(out, c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            escape(out, c);
            ++i;
            continue;
        }
        const bool escaped = rearranges(codePoint(text, i, length));
        for (std::size_t k = 0; k < length; ++k) {
            if (escaped)
                escape(out, static_cast<unsigned char>(text[i + k]));
            else
                out += text[i + k];
        }
        i += length;
    }
    return out;
}

std::string inQuotes(std::string_view text) {
    return "\"" + printable(text) + "\"";
}

}  // namespace kwu
