// The three edits of a home-screen layout file, on its text: add or replace a plugin's
// layers, remove them, switch the list view. They work line by line as the phone's
// installer does and never parse the layout further.
#pragma once

#include <string>
#include <string_view>

#include "VARN_installer/layout_blocks.h"
#include "VARN_installer/plugin_definition.h"
#include "platform/windows.h"

namespace zelko::varn {

enum class EditFault {
  kNone,
  kNotALayout,     // no list view, or (adding, removing) no "</Form>" after it, or (switching)
                   // no end of the list view: not a layout these edits may touch
  kBlockUnclosed,  // a block of the plugin runs into the end of the file or the structure
  kNoLayers,       // the definition has no usable layers for the size
  kLayersUnclosed, // the definition's layers section has no end
};

struct EditResult {
  std::string text;                        // the new layout file; whole only without fault
  ListView listView = ListView::kNone;     // the kind found, whether or not the edit succeeded
  EditFault fault = EditFault::kNone;
};

// Replaces each block of the plugin with its layers for `size`, or, when the layout has
// none, puts them just before the line holding "</Form>". The copy ends with "</Form>".
EditResult addLayers(std::string_view layout, const PluginDefinition& plugin,
                     platform::ScreenSize size);
// Drops every block of `plugin`. The copy ends with "</Form>".
EditResult removeLayers(std::string_view layout, std::string_view plugin);
// Turns a Titanium list view into a Bronze one when `toBronze`, a Bronze one into a
// Titanium one when `toTitanium`; any other layout is copied unchanged.
EditResult switchListView(std::string_view layout, bool toBronze, bool toTitanium);

}  // namespace zelko::varn
