#include "platform/sim/home_screen.h"

#include <algorithm>
#include <string>

#include "platform/windows.h"

namespace zelko::platform::sim {
namespace {

// The focus is kept by name and position: the name finds a plugin again after the layout
// changed, the position tells apart two entries of the same name.
constexpr std::string_view kPluginName = "home.plugin";
constexpr std::string_view kPluginIndex = "home.plugin.index";
constexpr std::string_view kPageName = "home.page";
constexpr std::string_view kPageIndex = "home.page.index";

constexpr std::string_view kHomeKey = "Software\\Microsoft\\CHome";

// A text value of the home screen's keys; empty when missing or of another type.
std::string readText(Registry& registry, const std::string& key, std::string_view name) {
  auto value = registry.getValue(Root::kLocalMachine, key, name);
  return value.ok() && value->type == ValueType::kString ? value->text : std::string();
}

// The entries of a ";" list; an empty text has none, empty entries are kept.
std::vector<std::string> entriesOf(std::string_view list) {
  std::vector<std::string> out;
  if (list.empty()) return out;
  for (size_t start = 0;;) {
    size_t end = list.find(';', start);
    out.emplace_back(list.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

// The layout element <Plugins Order="A;B;C" ...>: its first double-quoted text.
std::string_view orderOf(std::string_view layout) {
  size_t open = layout.find('"');
  if (open == std::string_view::npos) return {};
  size_t close = layout.find('"', open + 1);
  if (close == std::string_view::npos) return {};
  return layout.substr(open + 1, close - open - 1);
}

// The kept position when it still holds the kept name, else the first entry of that
// name, else the first entry.
size_t locate(const std::vector<std::string>& list, const std::string& name, int64_t index) {
  if (index >= 0 && static_cast<uint64_t>(index) < list.size() && list[index] == name) {
    return static_cast<size_t>(index);
  }
  auto found = std::find(list.begin(), list.end(), name);
  return found == list.end() ? 0 : static_cast<size_t>(found - list.begin());
}

}  // namespace

std::optional<HomeKey> homeKeyOf(uint64_t virtualKey) {
  switch (virtualKey) {
    case kVkLeft:
      return HomeKey::kLeft;
    case kVkUp:
      return HomeKey::kUp;
    case kVkRight:
      return HomeKey::kRight;
    case kVkDown:
      return HomeKey::kDown;
    default:
      return std::nullopt;
  }
}

std::string_view homeKeyName(HomeKey key) {
  switch (key) {
    case HomeKey::kLeft:
      return "left";
    case HomeKey::kUp:
      return "up";
    case HomeKey::kRight:
      return "right";
    case HomeKey::kDown:
      return "down";
  }
  return "";
}

HomeScreen::HomeScreen(Registry& registry, DeviceSettings& settings)
    : registry_(registry), settings_(settings) {}

std::vector<std::string> HomeScreen::plugins() {
  return entriesOf(orderOf(readText(registry_, std::string(kHomeKey), "ExtensibilityXML")));
}

std::vector<std::string> HomeScreen::pages(std::string_view plugin) {
  // An empty name would read the home screen's own key.
  if (plugin.empty()) return {};
  return entriesOf(readText(registry_, std::string(kHomeKey) + "\\" + std::string(plugin), "Pages"));
}

HomeFocus HomeScreen::Place::focus() const {
  if (plugins.empty()) return {};
  return {plugins[plugin], pages.empty() ? std::string() : pages[page]};
}

HomeScreen::Place HomeScreen::place() {
  Place p;
  p.plugins = plugins();
  if (p.plugins.empty()) return p;
  p.plugin = locate(p.plugins, settings_.get(kPluginName, ""), settings_.getInt(kPluginIndex, 0));
  p.pages = pages(p.plugins[p.plugin]);
  p.page = locate(p.pages, settings_.get(kPageName, ""), settings_.getInt(kPageIndex, 0));
  return p;
}

HomeFocus HomeScreen::focus() { return place().focus(); }

Status HomeScreen::keep(const Place& p) {
  HomeFocus f = p.focus();
  return settings_.set({{kPluginName, f.plugin},
                        {kPluginIndex, std::to_string(p.plugin)},
                        {kPageName, f.page},
                        {kPageIndex, std::to_string(p.page)}});
}

Result<HomeFocus> HomeScreen::move(HomeKey key) {
  Place p = place();
  Place before = p;
  switch (key) {
    case HomeKey::kUp:
    case HomeKey::kDown: {
      size_t last = p.plugins.empty() ? 0 : p.plugins.size() - 1;
      p.plugin = key == HomeKey::kUp ? (p.plugin == 0 ? 0 : p.plugin - 1) : std::min(p.plugin + 1, last);
      if (p.plugin != before.plugin) {
        p.pages = pages(p.plugins[p.plugin]);
        p.page = 0;
      }
      break;
    }
    case HomeKey::kLeft:
      if (p.page > 0) --p.page;
      break;
    case HomeKey::kRight:
      if (p.page + 1 < p.pages.size()) ++p.page;
      break;
  }
  if (p.plugin == before.plugin && p.page == before.page) return p.focus();
  Status kept = keep(p);
  if (!kept.ok()) return kept;
  if (redraw_) {
    draw();
  } else {
    changed_while_hidden_ = true;
  }
  return p.focus();
}

Status HomeScreen::reset() {
  Place p;
  p.plugins = plugins();
  if (!p.plugins.empty()) p.pages = pages(p.plugins.front());
  changed_while_hidden_ = false;
  return keep(p);
}

void HomeScreen::setRedraw(bool on) {
  redraw_ = on;
  if (on && changed_while_hidden_) draw();
}

void HomeScreen::invalidate() {
  if (redraw_) draw();
}

void HomeScreen::setDrawListener(DrawListener listener) { listener_ = std::move(listener); }

void HomeScreen::draw() {
  changed_while_hidden_ = false;
  if (listener_) listener_(focus());
}

}  // namespace zelko::platform::sim
