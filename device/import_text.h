// The text files other programs export (vCard, iCalendar, .reg) as every importer of the
// device tool reads them: decoded to UTF-8, split into lines however the exporter ended
// them, and quoted safely in error messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelko::device {

// Limits of the files the importers read (with platform/sim/bounded_read.h): large enough
// for any real export (photos make address books big), small enough that a wrong path
// never eats the machine's memory.
constexpr uintmax_t kMaxVCardFileBytes = 64u << 20;
constexpr uintmax_t kMaxCalendarFileBytes = 16u << 20;
constexpr uintmax_t kMaxRegFileBytes = 16u << 20;

// The bytes as UTF-8 text: a UTF-8 byte-order mark is dropped, UTF-16 with one (either
// byte order) converted, and a DOS end-of-file byte (0x1A) after the last line dropped.
// Other bytes pass as they are; each importer checks them. Invalid ("line N: ...") for
// UTF-16 without a byte-order mark, which would read as text full of NULs, and for UTF-16
// that ends in the middle of a character.
platform::Result<std::string> textOfExport(std::string_view bytes);

// The lines of `text`. CR LF, LF, a lone CR and CR CR LF (a phone exporter's own line end)
// each end one line; a line end at the very end of the text starts no further line.
std::vector<std::string_view> splitLines(std::string_view text);

// `text` for a one-line message: in double quotes, cut to `maxUnits` UTF-16 units with
// "..." after it, and every control byte or byte that is not UTF-8 written as its hex code
// ("\x1A").
std::string quotedForMessage(std::string_view text, size_t maxUnits = 40);

// The colon between a content line's name and its value in vCard and iCalendar
// ("NAME;PARAM=\"a:b\":value"): the first one outside double quotes; npos for none.
size_t valueColon(std::string_view line);

// ASCII letters in upper case, other bytes as they are: the names of these formats are
// ASCII, and their values must not be changed.
std::string asciiUpper(std::string_view text);
// `text` without the blanks and tabs around it.
std::string trimBlanks(std::string_view text);

// Empty when `text` is strict UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF); otherwise what is wrong, as "byte 0xE9 at column 7 is not UTF-8".
std::string utf8Fault(std::string_view text);

}  // namespace zelko::device
