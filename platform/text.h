// UTF-8 text helpers shared by the platform and the programs. The phone counts text in
// UTF-16 units and ignores case for every letter, so the helpers do too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelko::platform {

// Simple Unicode case folding of every code point ("Été" and "ÉTÉ" fold alike).
// Invalid UTF-8 bytes are kept as they are.
std::string foldCase(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// A telephone number the way the contacts store compares it: without blanks, tabs, dashes,
// dots and parentheses, letters folded ("(06) 12-34" and "0612 34" compare equal).
std::string phoneKey(std::string_view number);

// Length in UTF-16 code units (a character outside the BMP counts two).
size_t utf16Length(std::string_view text);
// The longest prefix of at most `units` UTF-16 code units that does not split a character.
std::string_view utf16Prefix(std::string_view text, size_t units);

// True when `text` is well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text);

// UTF-16LE bytes to UTF-8 (unpaired surrogates become U+FFFD), and back.
std::string utf16leToUtf8(std::string_view bytes);
std::string utf8ToUtf16le(std::string_view text);

}  // namespace zelko::platform
