// The picture behind the sample map page of `zelko-device feeds`: a small weather map
// drawn with the skin generator's shapes and icons, as a JPEG file.
#pragma once

#include <string>
#include <string_view>

namespace zelko::device {

inline constexpr int kMapWidth = 240;
inline constexpr int kMapHeight = 160;

// The JPEG file of the map `mapName` (its name is written in a corner).
std::string mapImage(std::string_view mapName);

}  // namespace zelko::device
