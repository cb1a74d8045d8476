// The two text files keyed by day: the user's notes (Private.txt) and the saint's days of
// a year (lang\EphemerideYYYY.<Lang>). Each line that starts with a day key holds a text
// for that day after one separator character: "24/03 Dentist at 10" ("24/03–Dentist"
// and a no-break space are as good: the separator is any one character).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace zelko::engine {

// Day and month, two digits each, day first: "24/03".
std::string dayKey(const platform::DateTime& day);

// Every non-empty note for the day, in file order, separated by line feeds; nullopt
// when no line is for that day (a line with an empty note gives the empty text). Lines
// end at LF or CRLF; a last line without a line end counts whole.
std::optional<std::string> notesForDay(std::string_view fileText, std::string_view key);

// The text of the first line for the day (empty when that line holds nothing after the
// key), or nullopt when no line is for that day.
std::optional<std::string> saintForDay(std::string_view fileText, std::string_view key);

}  // namespace zelko::engine
