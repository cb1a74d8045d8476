// What the editing recognises in a home-screen layout file; everything else is the home
// screen's own and passes unchanged. The shapes are described in VARN_installer/README.md.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "VARN_installer/text_lines.h"

namespace zelko::varn {

enum class ListView { kNone, kTitanium, kBronze };

// The list view a line opens: "<TitaniumListView" or "<BronzeListView", whichever comes
// first on it.
ListView listViewOpened(std::string_view line);
// "Titanium" or "Bronze", as the status record's "ListView" names it; empty for kNone.
std::string_view listViewName(ListView view);
// The text that opens, and the one that closes, a list view of that kind.
std::string_view listViewStartTag(ListView view);
std::string_view listViewEndTag(ListView view);

inline constexpr std::string_view kFormEnd = "</Form>";
// Whether the line closes the form or a list view. Such a line never belongs to a plugin's
// block: skipping it would leave the layout unclosed.
bool closesStructure(std::string_view line);

// Whether the line opens the block of `plugin`: it holds `<Layer ID="NAMEExpanded`.
bool opensBlock(std::string_view line, std::string_view plugin);
// The last line of the block that opens at `start`: after the line holding
// `<Layer ID="NAMECondensed`, the second line holding "</Layer>". nullopt when the lines
// run out first, or when the block would swallow a line that closes the structure.
std::optional<size_t> blockEnd(const std::vector<TextLine>& lines, size_t start,
                               std::string_view plugin);

}  // namespace zelko::varn
