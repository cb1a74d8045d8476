// A plugin definition file (.plg): the plugin's name, its place in the home screen's order
// and its layers for each screen size. The shape is described in VARN_installer/README.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "VARN_installer/errors.h"
#include "platform/windows.h"

namespace zelko::varn {

enum class LayersFault {
  kNone,
  kMissing,    // no section for the size, or one that is not one block of the plugin
  kUnclosed,   // the section starts but no "</layout>" line ends it
};

struct Layers {
  std::vector<std::string> lines;  // the plugin's block, as the layout file gets it
  LayersFault fault = LayersFault::kNone;
};

struct PluginDefinition {
  std::string name;
  // 0: first in the order; N: after the order's N-th entry, or last when there are fewer.
  uint64_t position = 0;
  // The lines after the position's line, where the layers sections are.
  std::vector<std::string> rest;

  // The layers section for `size` (width and height as the layout file is named). Its lines
  // must be exactly one block of this plugin, without anything that closes the form or a
  // list view: anything else would leave a layout the next edit cannot find its way in.
  // Blank lines at either end are dropped.
  Layers layers(platform::ScreenSize size) const;
};

struct ParsedDefinition {
  std::optional<PluginDefinition> definition;
  InstallError error;  // 60, 61 or 62 when there is no definition
};

// Reads the name from the first line holding "</name>" and the position from the next
// line after it holding "</position>". A name that could not stand in the order or in a
// layer's ID (empty, or holding blanks, control characters, '"', ';', '<', '>' or '&') is
// refused with 60, a position that is not a decimal number with 62.
ParsedDefinition parsePluginDefinition(std::string_view file);

}  // namespace zelko::varn
