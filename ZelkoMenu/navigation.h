// Navigation commands of the popup menu. A menu item whose action is
// "#GOTO Page3 ZelkoToday Page1 ZelkoToday" starts no program: it moves the home screen's
// focus to another plugin and page with the arrow keys, the way the user would. The home
// screen is another program; navigation only finds its window, reads two of its registry
// values and sends it key messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelko::platform {
class Registry;
class Windows;
}  // namespace zelko::platform

namespace zelko::menu {

// An action that begins with this (case-sensitive) is a navigation command; its words
// start at the seventh character, after one blank.
inline constexpr std::string_view kGotoPrefix = "#GOTO";

// A key step moves at most this many pages or plugins; a larger count (a number typed
// into a menu file, a layout list of thousands of entries) is cut to it, which already
// crosses any home screen from end to end.
inline constexpr int kMaxKeySteps = 100;

struct NavigationWords {
  // A page name (it holds "Page"), or "Left" / "Right" followed by an optional step count.
  std::string target;
  std::string plugin;                 // the target plugin: its key name under CHome
  std::string currentPage = "None";   // where the caller believes the focus is
  std::string currentPlugin;
};

// Splits the words at runs of blanks; a fifth word and any after it are ignored.
NavigationWords parseNavigationWords(std::string_view text);

// `count` arrow keys in one direction: right or down when positive, left or up when
// negative. Sent between WM_SETREDRAW 0 and 1 even when the count is 0.
struct KeyStep {
  bool vertical = false;
  int count = 0;
};

struct NavigationPlan {
  std::vector<KeyStep> steps;
  bool repaint = false;  // invalidate the home screen's focus window after the steps
  bool succeeded = false;
};

// What navigation sends, from the home screen's layout value (ExtensibilityXML, whose
// second double-quoted piece lists the plugins in screen order) and the target plugin's
// page list (its "Pages" value). A plugin change first moves up or down by the plugins
// between the current and the target one, then counts from the target's first page. A
// layout without a plugin list, or a plugin missing from it, sends nothing; a target
// page, or a current page, missing from the page list only repaints. Both fail.
NavigationPlan planNavigation(const NavigationWords& words, std::string_view layoutXml,
                              std::string_view pageList);

// Carries out a navigation command's words on the running home screen: finds its
// DesktopExplorerWindow > CHSPlugin > Confetti windows, reads the layout and the target's
// pages, and sends the keys to Confetti. False when the home screen does not run, the
// plan fails, or the home screen goes away meanwhile.
bool navigate(platform::Windows& windows, platform::Registry& registry, std::string_view words);

}  // namespace zelko::menu
