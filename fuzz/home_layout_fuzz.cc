// Layout files are whatever installers and people wrote. Input: a layout file. Reading it
// must fail cleanly or give elements within the limits; drawing what it holds, with its
// own texts as the values, must give HTML made only of the view's own tags.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "device/home_view/layout.h"
#include "device/home_view/screen_html.h"

namespace {

using namespace zelko::device::home;

void require(bool condition) {
  if (!condition) std::abort();
}

bool inRange(const std::optional<int>& figure) { return !figure || (*figure >= 0 && *figure <= kMaxPixels); }

void checkElement(const Element& e) {
  require(inRange(e.box.x) && inRange(e.box.y) && inRange(e.box.width) && inRange(e.box.height));
  require(e.color.empty() || isColor(e.color));
  require(e.size >= 0 && e.lines >= 0 && e.radius >= 0);
}

// The layer drawn with each element's own text (Value, Source or Bind) as its value.
DrawnPlugin drawn(const PluginLayers& plugin, const Layer& layer, const std::string& page) {
  DrawnPlugin out{plugin.name, 0, true, true, page, 0, layer.height, layer.background, {}};
  std::vector<const Element*> elements = layerElements(layer, page);
  for (size_t i = 0; i < elements.size(); ++i) {
    checkElement(*elements[i]);
    DrawnElement d;
    d.element = elements[i];
    d.number = static_cast<int>(i);
    d.text = elements[i]->literal + elements[i]->bind;
    if (elements[i]->kind == ElementKind::kImage) d.imagePath = d.text;
    out.elements.push_back(std::move(d));
  }
  return out;
}

// Every tag of the drawing is one the view writes itself.
void checkTags(const std::string& html) {
  for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    std::string_view tag = std::string_view(html).substr(at + 1, 5);
    require(tag.starts_with("div") || tag.starts_with("/div") || tag.starts_with("span") ||
            tag.starts_with("/span") || tag.starts_with("img ") || tag.starts_with("br>"));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto layout = parseLayout(text);
  if (!layout.ok()) {
    require(!layout.status().message().empty());
    return 0;
  }
  require(layout->selectionColor.empty() || isColor(layout->selectionColor));
  Screen screen;
  screen.width = layout->width;
  screen.height = layout->height;
  screen.selectionColor = layout->selectionColor;
  size_t count = 0;
  for (const PluginLayers& plugin : layout->plugins) {
    require(layout->find(plugin.name) != nullptr);
    std::string page = plugin.expanded.pages.empty() ? "" : plugin.expanded.pages.front().name;
    screen.plugins.push_back(drawn(plugin, plugin.expanded, page));
    screen.plugins.push_back(drawn(plugin, plugin.condensed, ""));
    count += plugin.expanded.elements.size() + plugin.condensed.elements.size();
    for (const PageElements& p : plugin.expanded.pages) count += p.elements.size();
    for (const PageElements& p : plugin.condensed.pages) count += p.elements.size();
  }
  require(count <= kMaxElements);
  screen.softKey2 = text.substr(0, 64);
  checkTags(renderScreen(screen));
  return 0;
}
