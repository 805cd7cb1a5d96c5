#pragma once
// Script values and paths shown to the user. They are bytes: a control byte would garble a message
// box (a NUL cuts it short), bytes that are not UTF-8 would be shown as replacement characters,
// hiding which name was meant, and a bidirectional control (a right-to-left override) or a line
// separator rearranges the line it stands in, so that a name reads as another. All of them are
// written as \xNN instead; everything else stays as it is.

#include <string>
#include <string_view>

namespace kwu {

// text with every control byte (C0, DEL, and the C1 controls of UTF-8), every bidirectional control
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069), the line and paragraph separators
// (U+2028, U+2029) and every byte that is not part of a well-formed UTF-8 sequence written as \xNN
// (two upper-case hex digits), each byte of a character on its own.
std::string printable(std::string_view text);

// printable(text) in double quotes.
std::string inQuotes(std::string_view text);

}  // namespace kwu
