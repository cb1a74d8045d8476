// Popup menu trees as the device shows them: in the journal, on a terminal, and matched
// against an answer that names an item by its label path ("Text > See you").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace zelko::platform::sim {

// The tree as JSON: [{"label":...,"id":N} | {"label":...,"items":[...]}, ...].
std::string menuJson(const std::vector<MenuItem>& items);

// The separator of a label path: a blank, ">", a blank.
inline constexpr std::string_view kMenuPathSeparator = " > ";

// The command that `path` names, following submenus by label: exact labels first, else
// labels equal without regard to case when that is unique. nullopt when the path names no
// command (an unknown label, or a submenu).
std::optional<int> findMenuCommand(const std::vector<MenuItem>& items, std::string_view path);

// The label path of the first command with `id`; empty when there is none.
std::string menuCommandPath(const std::vector<MenuItem>& items, int id);

// The tree for a person at a terminal: one line an item, submenus indented under their
// label, commands numbered from 1 in the order shown. `commands` receives the id of each
// number (commands[0] for number 1).
std::string menuListing(const std::vector<MenuItem>& items, std::vector<int>& commands);

}  // namespace zelko::platform::sim
