#include "VARN_installer/plugin_definition.h"

#include <limits>

#include "VARN_installer/layout_blocks.h"
#include "VARN_installer/text_lines.h"

namespace zelko::varn {
namespace {

// The text between `open` and `close` on a line that holds `close`; nullopt when `open`
// is missing or comes only after `close`.
std::optional<std::string_view> between(std::string_view line, std::string_view open,
                                        std::string_view close) {
  size_t end = line.find(close);
  size_t start = line.find(open);
  if (start == std::string_view::npos || start > end) return std::nullopt;
  return line.substr(start + open.size(), end - start - open.size());
}

bool usableName(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c <= ' ' || c == 0x7F || c == '"' || c == ';' || c == '<' || c == '>' || c == '&') {
      return false;
    }
  }
  return true;
}

std::string_view trimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Decimal digits, with blanks around them; a number past what fits stays the largest.
std::optional<uint64_t> decimal(std::string_view text) {
  text = trimBlanks(text);
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    uint64_t digit = static_cast<uint64_t>(c - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

// Whether the section's lines are one whole block of `name` and nothing else.
bool oneBlock(const std::vector<std::string>& section, std::string_view name) {
  std::vector<TextLine> lines;
  for (const std::string& s : section) {
    if (closesStructure(s) || listViewOpened(s) != ListView::kNone) return false;
    lines.push_back({s, true});
  }
  if (lines.empty() || !opensBlock(lines.front().text, name)) return false;
  return blockEnd(lines, 0, name) == lines.size() - 1;
}

}  // namespace

Layers PluginDefinition::layers(platform::ScreenSize size) const {
  const std::string start = "ayout screenWidth=\"" + std::to_string(size.width) +
                            "\" screenHeight=\"" + std::to_string(size.height) + "\"";
  size_t i = 0;
  while (i < rest.size() && !contains(rest[i], start)) ++i;
  if (i == rest.size()) return {{}, LayersFault::kMissing};
  size_t end = i + 1;
  while (end < rest.size() && !contains(rest[end], "</layout>")) ++end;
  if (end == rest.size()) return {{}, LayersFault::kUnclosed};
  // Blank lines at the ends would stay behind each time the block is replaced.
  size_t first = i + 1;
  while (first < end && trimBlanks(rest[first]).empty()) ++first;
  while (end > first && trimBlanks(rest[end - 1]).empty()) --end;
  Layers layers{{rest.begin() + static_cast<long>(first), rest.begin() + static_cast<long>(end)},
                LayersFault::kNone};
  if (!oneBlock(layers.lines, name)) return {{}, LayersFault::kMissing};
  return layers;
}

ParsedDefinition parsePluginDefinition(std::string_view file) {
  std::vector<TextLine> lines = splitLines(file);
  size_t i = 0;
  while (i < lines.size() && !contains(lines[i].text, "</name>")) ++i;
  if (i == lines.size()) return {std::nullopt, installError(61)};
  auto name = between(lines[i].text, "<name>", "</name>");
  if (!name || !usableName(*name)) return {std::nullopt, installError(60)};

  size_t j = i + 1;
  while (j < lines.size() && !contains(lines[j].text, "</position>")) ++j;
  if (j == lines.size()) return {std::nullopt, installError(62, true)};
  auto digits = between(lines[j].text, "<position>", "</position>");
  std::optional<uint64_t> position = digits ? decimal(*digits) : std::nullopt;
  if (!position) return {std::nullopt, installError(62)};

  PluginDefinition definition{std::string(*name), *position, {}};
  for (size_t k = j + 1; k < lines.size(); ++k) definition.rest.emplace_back(lines[k].text);
  return {std::move(definition), installError(0)};
}

}  // namespace zelko::varn
