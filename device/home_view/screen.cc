#include "device/home_view/screen.h"

#include <algorithm>
#include <map>

#include "common/host.h"
#include "platform/text.h"

namespace zelko::device::home {
namespace {

using platform::Registry;
using platform::RegValue;
using platform::Root;
using platform::ValueType;

// The page a condensed layer reads its values from.
constexpr std::string_view kCondensedPage = "CondensedPage";
// The longest text an element shows: values are up to a few hundred characters on the
// phone, and one that is far longer must not swell every drawing sent to the browsers.
constexpr size_t kMaxShownText = 2000;
constexpr std::string_view kDefaultSelection = "#1E90FF";
constexpr int kTextMargin = 16;

std::string textOf(Registry& registry, const std::string& key, std::string_view name) {
  auto value = registry.getValue(Root::kLocalMachine, key, name);
  return value.ok() && value->type == ValueType::kString ? value->text : std::string();
}

// The values of the pages read during one drawing, each key read once.
class PageValues {
 public:
  PageValues(Registry& registry, std::string dataSource)
      : registry_(registry), dataSource_(std::move(dataSource)) {}

  std::string text(std::string_view page, std::string_view name) {
    auto [it, fresh] = pages_.try_emplace(std::string(page));
    if (fresh) {
      std::string key = dataSource_;
      if (!page.empty()) key += "\\" + std::string(page);
      for (auto& v : registry_.values(Root::kLocalMachine, key)) {
        it->second.emplace_back(platform::foldCase(v.name), std::move(v.value));
      }
    }
    std::string wanted = platform::foldCase(name);
    for (const auto& [folded, value] : it->second) {
      if (folded != wanted) continue;
      if (value.type == ValueType::kDword) return std::to_string(value.dword);
      return value.type == ValueType::kString ? value.text : std::string();
    }
    return {};
  }

 private:
  Registry& registry_;
  std::string dataSource_;
  std::map<std::string, std::vector<std::pair<std::string, RegValue>>> pages_;
};

// A text cut to what an element shows, never inside a character.
std::string shown(std::string text) {
  if (text.size() <= kMaxShownText) return text;
  size_t cut = kMaxShownText;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  return text;
}

int defaultLayerHeight(const Layer& layer, bool expanded, int screenHeight) {
  if (layer.height > 0) return layer.height;
  return expanded ? screenHeight / 2 : screenHeight / 10;
}

class Builder {
 public:
  Builder(platform::Platform& platform, const Layout* layout, const platform::sim::HomeFocus& focus)
      : platform_(platform), layout_(layout), focus_(focus) {}

  DrawnPlugin plugin(const std::string& name, int position, bool focused, int width, int screenHeight) {
    DrawnPlugin out;
    out.name = name;
    out.position = position;
    out.focused = focused;
    out.page = focused ? focus_.page : std::string();
    const PluginLayers* block = layout_ ? layout_->find(name) : nullptr;
    out.hasLayers = block != nullptr;
    if (!block) {
      out.height = std::max(screenHeight / 16, 24);
      return out;
    }
    const Layer& layer = focused ? block->expanded : block->condensed;
    out.height = defaultLayerHeight(layer, focused, screenHeight);
    out.background = layer.background;
    PageValues values(platform_.registry(), dataSourceOf(platform_.registry(), name));
    std::string_view page = focused ? std::string_view(focus_.page) : std::string_view();
    std::vector<const Element*> elements = layerElements(layer, page);
    // The layer's own elements bind to the focused page (its decorations change with it),
    // a page's elements to that page, a condensed layer's to CondensedPage.
    std::string_view bindPage = focused ? page : kCondensedPage;
    for (size_t i = 0; i < elements.size(); ++i) {
      out.elements.push_back(place(*elements[i], static_cast<int>(i), width, out.height, bindPage, values));
    }
    return out;
  }

 private:
  DrawnElement place(const Element& e, int number, int width, int height, std::string_view page,
                     PageValues& values) {
    DrawnElement d;
    d.element = &e;
    d.number = number;
    // A text placed nowhere fills its layer with a margin; anything else fills it whole.
    const int margin = e.kind == ElementKind::kText && !e.box.x ? std::min(kTextMargin, width / 4) : 0;
    d.x = std::min(e.box.x.value_or(margin), width);
    d.y = std::min(e.box.y.value_or(0), height);
    d.width = e.box.width.value_or(width - d.x - margin);
    d.height = e.box.height.value_or(height - d.y);
    std::string value = e.literal;
    if (!e.bind.empty()) value = values.text(e.page.empty() ? page : std::string_view(e.page), e.bind);
    if (e.kind == ElementKind::kText) {
      d.text = shown(std::move(value));
    } else if (e.kind == ElementKind::kImage && !value.empty()) {
      platform::Files& files = platform_.files();
      auto changed = files.lastWriteTime(value);
      if (changed.ok() && !files.isDirectory(value)) {
        d.imagePath = std::move(value);
        d.imageVersion = static_cast<int64_t>(*changed & 0x7fffffffffffffffULL);
      }
    }
    return d;
  }

  platform::Platform& platform_;
  const Layout* layout_;
  const platform::sim::HomeFocus& focus_;
};

}  // namespace

std::vector<const Element*> layerElements(const Layer& layer, std::string_view page) {
  std::vector<const Element*> out;
  for (const Element& e : layer.elements) out.push_back(&e);
  for (const PageElements& p : layer.pages) {
    if (p.name.empty() || p.name != page) continue;
    for (const Element& e : p.elements) out.push_back(&e);
  }
  return out;
}

std::string dataSourceOf(Registry& registry, std::string_view plugin) {
  std::string own = std::string(host::kHomeKey) + "\\" + std::string(plugin);
  std::string source = textOf(registry, own, "DataSource");
  return source.empty() ? own : source;
}

std::string layoutFilePath(Registry& registry, platform::ScreenSize screen) {
  std::string base = host::layoutFileBaseName(host::readExtensibilityXml(registry))
                         .value_or(textOf(registry, std::string(host::kHomeKey), host::kCprFile));
  return "\\Windows\\" + base + "_" + platform::screenSizeText(screen) + ".cpr";
}

Screen buildScreen(platform::Platform& platform, const Layout* layout, std::string_view problem,
                   const platform::sim::HomeFocus& focus, const std::vector<std::string>& order) {
  Screen s;
  platform::ScreenSize screen = platform.windows().screenSize();
  s.width = layout && layout->width > 0 ? layout->width : screen.width;
  s.height = layout && layout->height > 0 ? layout->height : screen.height;
  s.problem = problem;
  s.softKeyHeight = layout && layout->softKeyHeight > 0 ? layout->softKeyHeight : s.height * 2 / 25;
  s.softKeyHeight = std::min(s.softKeyHeight, s.height);
  Box lv = layout ? layout->listView : Box{};
  s.listX = std::min(lv.x.value_or(0), s.width);
  s.listY = std::min(lv.y.value_or(0), s.height - s.softKeyHeight);
  s.listWidth = std::min(lv.width.value_or(s.width - s.listX), s.width - s.listX);
  s.listHeight = std::min(lv.height.value_or(s.height), s.height - s.softKeyHeight - s.listY);
  s.selectionColor = layout && !layout->selectionColor.empty() ? layout->selectionColor
                                                                : std::string(kDefaultSelection);
  auto focused = std::find(order.begin(), order.end(), focus.plugin);
  Builder builder(platform, layout, focus);
  int top = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i].empty()) continue;
    bool isFocus = order.begin() + static_cast<std::ptrdiff_t>(i) == focused;
    DrawnPlugin p = builder.plugin(order[i], static_cast<int>(i), isFocus, s.listWidth, s.height);
    p.top = top;
    top += p.height;
    if (isFocus) {
      // The focused plugin is shown whole: its bottom in view, and its top before that.
      s.scroll = std::max(0, p.top + p.height - s.listHeight);
      s.scroll = std::min(s.scroll, p.top);
      std::string key = dataSourceOf(platform.registry(), p.name);
      if (!p.page.empty()) key += "\\" + p.page;
      s.softKey2 = shown(textOf(platform.registry(), key, "SK2TEXT"));
    }
    s.plugins.push_back(std::move(p));
  }
  return s;
}

}  // namespace zelko::device::home
