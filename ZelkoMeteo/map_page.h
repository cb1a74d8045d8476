// The MSN local maps page: an HTML page whose map is the image tag with the id
// "mapimage". Only that tag is looked for, line by line, as the phone's reader does.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelko::meteo {

// The address in the src attribute of the map image tag of the page `document` (the
// file's bytes). The tag is looked for read by read (see lineReads); it may go on over
// the next read. nullopt without the tag, its src or the closing quote of src.
std::optional<std::string> mapImageUrl(std::string_view document);

}  // namespace zelko::meteo
