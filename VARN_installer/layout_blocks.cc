#include "VARN_installer/layout_blocks.h"

#include <string>

namespace zelko::varn {

ListView listViewOpened(std::string_view line) {
  // On a line that holds both, the first one opens the list view.
  size_t titanium = line.find("<TitaniumListView"), bronze = line.find("<BronzeListView");
  if (titanium == std::string_view::npos && bronze == std::string_view::npos) return ListView::kNone;
  return titanium < bronze ? ListView::kTitanium : ListView::kBronze;
}

std::string_view listViewName(ListView view) {
  switch (view) {
    case ListView::kTitanium: return "Titanium";
    case ListView::kBronze: return "Bronze";
    case ListView::kNone: break;
  }
  return "";
}

std::string_view listViewStartTag(ListView view) {
  return view == ListView::kBronze ? "<BronzeListView" : "<TitaniumListView";
}

std::string_view listViewEndTag(ListView view) {
  return view == ListView::kBronze ? "</BronzeListView" : "</TitaniumListView";
}

bool closesStructure(std::string_view line) {
  return contains(line, kFormEnd) || contains(line, "</TitaniumListView") ||
         contains(line, "</BronzeListView");
}

bool opensBlock(std::string_view line, std::string_view plugin) {
  return contains(line, "<Layer ID=\"" + std::string(plugin) + "Expanded");
}

std::optional<size_t> blockEnd(const std::vector<TextLine>& lines, size_t start,
                               std::string_view plugin) {
  const std::string condensed = "<Layer ID=\"" + std::string(plugin) + "Condensed";
  // What to find next: the condensed layer's opening line, then two lines with "</Layer>".
  int closingsLeft = 2;
  bool inCondensed = false;
  for (size_t i = start + 1; i < lines.size(); ++i) {
    std::string_view text = lines[i].text;
    if (closesStructure(text)) return std::nullopt;
    if (!inCondensed) {
      inCondensed = contains(text, condensed);
    } else if (contains(text, "</Layer>") && --closingsLeft == 0) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace zelko::varn
