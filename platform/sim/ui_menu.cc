#include "platform/sim/ui_menu.h"

#include "platform/sim/journal.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

const MenuItem* findLabel(const std::vector<MenuItem>& items, std::string_view label) {
  for (const MenuItem& item : items) {
    if (item.label == label) return &item;
  }
  const MenuItem* found = nullptr;
  for (const MenuItem& item : items) {
    if (!equalsIgnoreCase(item.label, label)) continue;
    if (found) return nullptr;  // ambiguous: two labels differ only in case
    found = &item;
  }
  return found;
}

bool findPath(const std::vector<MenuItem>& items, int id, std::string& path) {
  for (const MenuItem& item : items) {
    std::string here = path.empty() ? item.label : path + std::string(kMenuPathSeparator) + item.label;
    if (item.items.empty() && item.id == id) {
      path = here;
      return true;
    }
    if (!item.items.empty() && findPath(item.items, id, here)) {
      path = here;
      return true;
    }
  }
  return false;
}

// Labels come from files other programs write from received texts: a terminal shows
// them on one line, cut where a person would stop reading.
std::string printable(std::string_view label) {
  constexpr size_t kShown = 200;
  std::string out;
  for (char c : label.substr(0, kShown)) {
    out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? ' ' : c;
  }
  if (label.size() > kShown) out += "...";
  return out;
}

void listLevel(const std::vector<MenuItem>& items, int depth, std::string& out,
               std::vector<int>& commands) {
  std::string indent(2 + 4 * depth, ' ');
  for (const MenuItem& item : items) {
    if (!item.items.empty() || item.id == 0) {
      out += indent + "    " + printable(item.label) + " >\n";
      listLevel(item.items, depth + 1, out, commands);
      continue;
    }
    commands.push_back(item.id);
    char number[24];
    std::snprintf(number, sizeof number, "%3zu ", commands.size());
    out += indent + number + printable(item.label) + "\n";
  }
}

}  // namespace

std::string menuJson(const std::vector<MenuItem>& items) {
  std::string out = "[";
  for (const MenuItem& item : items) {
    if (out.size() > 1) out += ',';
    out += "{\"label\":" + jsonQuote(item.label);
    if (item.items.empty() && item.id != 0) {
      out += ",\"id\":" + std::to_string(item.id);
    } else {
      out += ",\"items\":" + menuJson(item.items);
    }
    out += '}';
  }
  return out + "]";
}

std::optional<int> findMenuCommand(const std::vector<MenuItem>& items, std::string_view path) {
  const std::vector<MenuItem>* level = &items;
  for (;;) {
    size_t cut = path.find(kMenuPathSeparator);
    const MenuItem* item = findLabel(*level, path.substr(0, cut));
    if (!item) return std::nullopt;
    if (cut == std::string_view::npos) {
      if (!item->items.empty() || item->id == 0) return std::nullopt;
      return item->id;
    }
    level = &item->items;
    path.remove_prefix(cut + kMenuPathSeparator.size());
  }
}

std::string menuCommandPath(const std::vector<MenuItem>& items, int id) {
  std::string path;
  return findPath(items, id, path) ? path : std::string();
}

std::string menuListing(const std::vector<MenuItem>& items, std::vector<int>& commands) {
  std::string out;
  listLevel(items, 0, out, commands);
  return out;
}

}  // namespace zelko::platform::sim
