// Reading the vCard files that phones, mail programs and address books export, for
// `zelko-device contacts import`. Text in, contacts out: the caller reads the file and adds
// the contacts to the store, so a file that fails here adds nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/items.h"
#include "platform/status.h"

namespace zelko::device {

// Birthdays and anniversaries given without a year ("--0517") are kept on that day of
// 1604, the year address books use for the purpose: a leap year, so 29 February fits, and
// before the 1900 bound the birthday lists search from, so no age is ever made up.
constexpr int kNoYear = 1604;

// Reads every card of a file, in order, each with its photo's bytes as the card carried
// them (JPEG, PNG...) as the picture. The file is UTF-8 (a BOM is skipped) or UTF-16LE
// with a BOM; vCard 2.1, 3.0 and 4.0 are read with their own escapes, folding,
// quoted-printable (2.1, with soft line breaks and CHARSET) and inline photos (BASE64,
// ENCODING=b, data: URIs). Names come from N, else from FN. TEL goes to the mobile, home
// or business number by its type (CELL, HOME, WORK; a number without one of them fills the
// first free of the three, in that order; fax and pager numbers are left out). A value
// that is not UTF-8 and names no CHARSET is read as Windows-1252, as old exporters meant.
//
// On the first error returns Status::Invalid("line N: <what is wrong>") naming the
// property, and no contacts. A file without any card is an error too.
platform::Result<std::vector<platform::NewContact>> parseVCards(std::string_view bytes);

// The text of an exported file as UTF-8: a UTF-8 BOM is dropped, UTF-16 with a BOM (either
// byte order) converted. Other bytes are passed on as they are. Shared with the calendar
// import, whose files come from the same exporters.
std::string textOfExport(std::string_view bytes);

}  // namespace zelko::device
