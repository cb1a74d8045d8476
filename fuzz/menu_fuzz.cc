// Reads arbitrary bytes as a menu file and navigation input: up to four parts separated by
// NUL bytes (the menu file, the words of a navigation command, the home screen's layout
// value, a page list). Nothing may crash; the tree keeps its limits and its numbering;
// a plan never sends more keys than a step may hold, and sends nothing when it fails
// without a repaint.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ZelkoMenu/menu_file.h"
#include "ZelkoMenu/navigation.h"

namespace {

using zelko::menu::MenuTree;

void check(bool condition) {
  if (!condition) std::abort();
}

// Walks the tree depth-first: command identifiers follow one another from 100.
void checkItems(const std::vector<zelko::platform::MenuItem>& items, const MenuTree& tree,
                int& nextId, int& menus) {
  check(++menus <= zelko::menu::kMaxMenus);
  for (const auto& item : items) {
    if (item.id != 0) {
      check(item.id == nextId++);
      check(tree.action(item.id).has_value());
      check(item.items.empty());
    } else {
      checkItems(item.items, tree, nextId, menus);
    }
  }
}

void checkPlan(std::string_view words, std::string_view layout, std::string_view pages) {
  using namespace zelko::menu;
  NavigationPlan plan = planNavigation(parseNavigationWords(words), layout, pages);
  for (const KeyStep& step : plan.steps) {
    check(step.count >= -kMaxKeySteps && step.count <= kMaxKeySteps);
  }
  if (!plan.succeeded && !plan.repaint) check(plan.steps.empty());
  if (plan.succeeded) check(plan.repaint);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (size_t start = 0; parts.size() < 3;) {
    size_t end = input.find('\0', start);
    if (end == std::string_view::npos) break;
    parts.push_back(input.substr(start, end - start));
    start = end + 1;
    if (parts.size() == 3) parts.push_back(input.substr(start));
  }
  if (parts.empty()) parts.push_back(input);
  parts.resize(4);

  zelko::IniDocument file;
  zelko::menu::parseMenuText(parts[0], file);
  MenuTree tree = zelko::menu::buildMenuTree(file);
  check(tree.actions.size() <= zelko::menu::kMaxCommands);
  int nextId = zelko::menu::kFirstCommandId;
  int menus = 0;
  checkItems(tree.items, tree, nextId, menus);
  zelko::menu::menuTimeOut(file);

  checkPlan(parts[1], parts[2], parts[3]);
  for (const std::string& action : tree.actions) {
    if (action.starts_with(zelko::menu::kGotoPrefix)) checkPlan(action.substr(5), parts[2], parts[3]);
  }
  return 0;
}
