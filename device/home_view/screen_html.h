// The screen as an HTML fragment for the browser view: absolutely placed boxes inside a
// box of the screen's size. Every text that comes from the device (values, names, paths)
// is escaped; styles are built only from numbers and checked colours.
#pragma once

#include <string>
#include <string_view>

#include "device/home_view/screen.h"

namespace zelko::device::home {

// Text for HTML content and attribute values: & < > " ' as entities, control characters
// other than the line feed as blanks, bytes that are not UTF-8 as U+FFFD.
std::string htmlEscape(std::string_view text);
// Percent-encoding for a query parameter: everything but letters, digits and -._~ .
std::string urlEncode(std::string_view text);

// Where the page fetches an image of the device: /image?path=...&v=VERSION.
std::string imageUrl(std::string_view devicePath, int64_t version);

std::string renderScreen(const Screen& screen);

}  // namespace zelko::device::home
