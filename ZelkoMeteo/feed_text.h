// Downloaded files as text, the way the phone's programs read them: a text-mode read in
// the phone's code page, line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::meteo {

// The phone's line reader returns at most this many characters (UTF-16 units) a read.
inline constexpr size_t kLineReadUnits = 1023;

// The text of a file read in text mode: UTF-16 with a byte-order mark, else UTF-8 (a
// byte-order mark dropped) when the bytes are UTF-8, else the bytes read as Latin-1, the
// phone's code page; CR LF becomes LF, and a Ctrl-Z byte ends the text.
std::string decodeTextFile(std::string_view bytes);

// The reads of the line reader over a text: each line up to and including its line feed,
// a longer one in pieces of kLineReadUnits, never splitting a character.
std::vector<std::string_view> lineReads(std::string_view text);

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD.
std::string validUtf8(std::string_view text);

}  // namespace zelko::meteo
