#pragma once
// Script values and paths shown to the user. They are bytes: a control byte would garble a message
// box (a NUL cuts it short) and bytes that are not UTF-8 would be shown as replacement characters,
// hiding which name was meant. Both are written as \xNN instead; everything else stays as it is.

#include <string>
#include <string_view>

namespace kwu {

// text with every control byte (C0, DEL, and the C1 controls of UTF-8) and every byte that is not
// part of a well-formed UTF-8 sequence written as \xNN (two upper-case hex digits).
std::string printable(std::string_view text);

// printable(text) in double quotes.
std::string inQuotes(std::string_view text);

}  // namespace kwu
