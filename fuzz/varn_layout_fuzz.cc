// Layout files and plugin definition files are whatever other installers and people
// wrote. Input: one byte of choices, then a layout file and a definition file separated by
// the byte 0xFF. Every edit must fail cleanly or leave a layout the next edit reads the
// same way: adding twice is adding once, removing leaves no block of the plugin, and a
// switched list view stays switched.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "VARN_installer/layout_edit.h"
#include "VARN_installer/plugin_definition.h"
#include "VARN_installer/plugin_order.h"
#include "VARN_installer/text_lines.h"

namespace {

using namespace zelko::varn;

void require(bool condition) {
  if (!condition) std::abort();
}

bool endsWithForm(const std::string& text) {
  return text.size() >= kFormEnd.size() && text.compare(text.size() - kFormEnd.size(), kFormEnd.size(), kFormEnd) == 0;
}

// After the list view opens, no line of an edited layout may open a block of `name` (the
// form's end is read as that, whatever else its line holds).
bool holdsNoBlockOf(const std::string& layout, std::string_view name) {
  bool inListView = false;
  for (const TextLine& line : splitLines(layout)) {
    if (inListView && !contains(line.text, kFormEnd) && opensBlock(line.text, name)) return false;
    inListView = inListView || listViewOpened(line.text) != ListView::kNone;
  }
  return true;
}

void checkBlocks(std::string_view layout, const PluginDefinition& plugin, zelko::platform::ScreenSize size,
                 bool stable) {
  EditResult added = addLayers(layout, plugin, size);
  if (added.fault == EditFault::kNone) {
    require(endsWithForm(added.text));
    if (stable) require(addLayers(added.text, plugin, size).text == added.text);
    EditResult removed = removeLayers(added.text, plugin.name);
    require(removed.fault == EditFault::kNone && holdsNoBlockOf(removed.text, plugin.name));
  }
  EditResult removed = removeLayers(layout, plugin.name);
  if (removed.fault == EditFault::kNone) {
    require(endsWithForm(removed.text) && holdsNoBlockOf(removed.text, plugin.name));
    if (stable) require(removeLayers(removed.text, plugin.name).text == removed.text);
  }
}

void checkOrder(std::string_view xml, std::string_view plugins, const PluginDefinition& plugin) {
  OrderEdit added = addToOrder(xml, plugins, plugin.name, plugin.position);
  if (added.fault != OrderFault::kNone) return;
  require(added.element.rfind("<Plugins Order=\"", 0) == 0 || added.alreadyListed);
  require(addToOrder(added.element, added.plugins, plugin.name, plugin.position).alreadyListed);
  OrderEdit removed = removeFromOrder(added.element, added.plugins, plugin.name);
  require(removed.fault == OrderFault::kNone);
  require(!addToOrder(removed.element, removed.plugins, plugin.name, 0).alreadyListed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t choices = data[0];
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t cut = input.find('\xFF');
  std::string_view layout = input.substr(0, cut);
  std::string_view definitionText = cut == std::string_view::npos ? "" : input.substr(cut + 1);

  ParsedDefinition parsed = parsePluginDefinition(definitionText);
  if (!parsed.definition) {
    require(parsed.error.number >= 60 && parsed.error.number <= 62);
    parsed.definition = PluginDefinition{"Home", choices, {}};
  }
  const PluginDefinition& plugin = *parsed.definition;
  const zelko::platform::ScreenSize sizes[] = {{480, 800}, {800, 480}, {240, 320}, {320, 240}};
  // Only the first 100 tabs of a line become blanks: a line with more changes again.
  const bool stable = std::count(input.begin(), input.end(), '\t') <= 100;
  checkBlocks(layout, plugin, sizes[choices % 4], stable);
  checkOrder(layout.substr(0, 400), definitionText.substr(0, 200), plugin);

  const bool toBronze = choices & 0x10, toTitanium = choices & 0x20;
  EditResult switched = switchListView(layout, toBronze, toTitanium);
  if (switched.fault == EditFault::kNone && toBronze != toTitanium && stable) {
    require(switchListView(switched.text, toBronze, toTitanium).text == switched.text);
  }
  return 0;
}
