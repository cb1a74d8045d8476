#include "ZelkoMenu/menu_file.h"

#include <algorithm>
#include <cstdint>

#include "platform/files.h"
#include "platform/text.h"

namespace zelko::menu {
namespace {

constexpr std::string_view kProgramSection = "ZelkoMenu";
constexpr std::string_view kMenuOutKey = "MenuOut";
constexpr int kDefaultMenuOutSeconds = 10;
constexpr int64_t kLongestTimerMs = 0x7FFFFFFF;

// The section a submenu value names: the value without its first and last character.
std::string_view submenuSection(std::string_view value) {
  return value.size() < 2 ? std::string_view() : value.substr(1, value.size() - 2);
}

class TreeBuilder {
 public:
  explicit TreeBuilder(const IniDocument& file) : file_(file) {}

  MenuTree build() {
    if (auto top = buildMenu(kTopSection)) tree_.items = std::move(*top);
    return std::move(tree_);
  }

 private:
  // The items of one menu, or nullopt when no further menu may be made.
  std::optional<std::vector<platform::MenuItem>> buildMenu(std::string_view section) {
    if (++menuCount_ >= kMaxMenus) return std::nullopt;
    std::vector<platform::MenuItem> items;
    const IniDocument copy = sectionCopy(section);
    for (const IniEntry& entry : copy.entries()) {
      if (entry.value.front() != '[') {
        platform::MenuItem item;
        item.label = entry.key;
        item.id = kFirstCommandId + static_cast<int>(tree_.actions.size());
        items.push_back(std::move(item));
        tree_.actions.push_back(entry.value);
      } else if (visited_.find(entry.value) == std::string::npos) {
        visited_ += entry.value;
        if (auto sub = buildMenu(submenuSection(entry.value))) {
          platform::MenuItem item;
          item.label = entry.key;
          item.items = std::move(*sub);
          items.push_back(std::move(item));
        }
      }
      if (tree_.actions.size() >= kMaxCommands) break;
    }
    return items;
  }

  // The entries of a section as one menu shows them: set() merges repeated labels.
  IniDocument sectionCopy(std::string_view section) const {
    IniDocument copy;
    if (section.empty()) return copy;
    for (const IniEntry& entry : file_.entries()) {
      if (platform::equalsIgnoreCase(entry.group, section)) copy.set(section, entry.key, entry.value);
    }
    return copy;
  }

  const IniDocument& file_;
  MenuTree tree_;
  int menuCount_ = -1;
  // Every submenu value opened so far, brackets included, one after the other.
  std::string visited_;
};

}  // namespace

bool loadMenuFile(platform::Files& files, std::string_view path, IniDocument& file) {
  file.clear();
  auto text = files.readText(path);
  if (!text.ok()) return false;
  parseMenuText(*text, file);
  return true;
}

void parseMenuText(std::string_view text, IniDocument& file) {
  std::string kept;
  kept.reserve(text.size());
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    // Measured as the INI reader measures it: without the CR of a CRLF line end.
    std::string_view measured = line;
    if (!measured.empty() && measured.back() == '\r') measured.remove_suffix(1);
    if (platform::utf16Length(measured) > kIniLineUnits) continue;
    kept += line;
    kept += '\n';
  }
  file.parse(kept);
}

std::chrono::milliseconds menuTimeOut(const IniDocument& file) {
  const IniEntry* entry = file.find(kProgramSection, kMenuOutKey);
  int seconds = entry ? parseLeadingInt(entry->value) : kDefaultMenuOutSeconds;
  if (seconds < 0) seconds = kDefaultMenuOutSeconds;
  return std::chrono::milliseconds(std::min<int64_t>(int64_t{seconds} * 1000, kLongestTimerMs));
}

MenuTree buildMenuTree(const IniDocument& file) { return TreeBuilder(file).build(); }

std::optional<std::string> MenuTree::action(int id) const {
  if (id < kFirstCommandId) return std::nullopt;
  size_t index = static_cast<size_t>(id - kFirstCommandId);
  if (index >= actions.size()) return std::nullopt;
  return actions[index];
}

}  // namespace zelko::menu
