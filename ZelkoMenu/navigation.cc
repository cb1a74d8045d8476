#include "ZelkoMenu/navigation.h"

#include <algorithm>

#include "common/host.h"
#include "common/ini_document.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/windows.h"

namespace zelko::menu {
namespace {

using platform::Message;
using platform::WindowHandle;
using platform::Windows;

constexpr size_t kWordCount = 4;

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

int clampSteps(int count) { return std::clamp(count, -kMaxKeySteps, kMaxKeySteps); }

// The ";" between two positions of a list: how many entries lie between them.
int separatorsBetween(std::string_view list, size_t a, size_t b) {
  auto from = list.begin() + static_cast<std::ptrdiff_t>(std::min(a, b));
  auto to = list.begin() + static_cast<std::ptrdiff_t>(std::max(a, b));
  return static_cast<int>(std::min<std::ptrdiff_t>(std::count(from, to, ';'), kMaxKeySteps));
}

// "Left3" and "Right3": the number after the word, counted in characters as the phone
// counts them; one step when nothing follows the word.
int relativeCount(std::string_view target, size_t wordLength) {
  if (platform::utf16Length(target) <= wordLength) return 1;
  return clampSteps(parseLeadingInt(target.substr(platform::utf16Prefix(target, wordLength).size())));
}

bool send(Windows& windows, WindowHandle window, uint32_t message, uint64_t wParam) {
  return windows.sendMessage(Message{window, message, wParam, 0}).ok();
}

bool sendKeyStep(Windows& windows, WindowHandle confetti, const KeyStep& step) {
  uint64_t key = step.vertical ? (step.count > 0 ? platform::kVkDown : platform::kVkUp)
                               : (step.count > 0 ? platform::kVkRight : platform::kVkLeft);
  if (!send(windows, confetti, platform::kWmSetRedraw, 0)) return false;
  for (int i = 0; i < std::abs(step.count); ++i) {
    if (!send(windows, confetti, platform::kWmKeyDown, key) ||
        !send(windows, confetti, platform::kWmKeyUp, key)) {
      return false;
    }
  }
  return send(windows, confetti, platform::kWmSetRedraw, 1);
}

// The window that takes the focus keys, or 0 when the home screen does not run.
WindowHandle findFocusWindow(Windows& windows) {
  WindowHandle desktop = windows.findWindow(host::kDesktopWindowClass);
  WindowHandle plugin = windows.findChildWindow(desktop, host::kPluginWindowClass);
  return windows.findChildWindow(plugin, host::kFocusWindowClass);
}

// The "Pages" value as written: the pieces joined again at their separators.
std::string pageListOf(platform::Registry& registry, std::string_view plugin) {
  std::string list;
  bool first = true;
  for (const std::string& page : host::readPluginPages(registry, plugin)) {
    if (!first) list += ';';
    list += page;
    first = false;
  }
  return list;
}

}  // namespace

NavigationWords parseNavigationWords(std::string_view text) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (words.size() < kWordCount) {
    size_t begin = text.find_first_not_of(' ', pos);
    if (begin == std::string_view::npos) break;
    size_t end = text.find(' ', begin);
    words.emplace_back(text.substr(begin, end - begin));
    if (end == std::string_view::npos) break;
    pos = end;
  }
  words.resize(kWordCount);
  NavigationWords out;
  out.target = words[0];
  out.plugin = words[1];
  if (!words[2].empty()) out.currentPage = words[2];
  out.currentPlugin = words[3];
  return out;
}

NavigationPlan planNavigation(const NavigationWords& words, std::string_view layoutXml,
                              std::string_view pageList) {
  NavigationPlan plan;
  std::string currentPage = words.currentPage;
  if (words.currentPlugin != words.plugin) {
    // After a plugin change the focus is on the target's first page.
    currentPage = std::string(host::kPage1);
    std::optional<std::string> order = host::pluginOrder(layoutXml);
    if (!order) return plan;
    size_t from = order->find(words.currentPlugin);
    size_t to = order->find(words.plugin);
    if (from == std::string::npos || to == std::string::npos) return plan;
    int count = separatorsBetween(*order, from, to);
    plan.steps.push_back({true, to > from ? count : -count});
  }
  if (contains(words.target, "Page")) {
    size_t to = pageList.find(words.target);
    size_t from = pageList.find(currentPage);
    if (to == std::string_view::npos || from == std::string_view::npos) {
      plan.repaint = true;
      return plan;
    }
    int count = separatorsBetween(pageList, from, to);
    if (count > 0) plan.steps.push_back({false, to > from ? count : -count});
  }
  if (contains(words.target, "Left")) plan.steps.push_back({false, -relativeCount(words.target, 4)});
  if (contains(words.target, "Right")) plan.steps.push_back({false, relativeCount(words.target, 5)});
  plan.repaint = true;
  plan.succeeded = true;
  return plan;
}

bool navigate(Windows& windows, platform::Registry& registry, std::string_view text) {
  WindowHandle confetti = findFocusWindow(windows);
  if (confetti == 0) return false;
  NavigationWords words = parseNavigationWords(text);
  NavigationPlan plan = planNavigation(words, host::readExtensibilityXml(registry),
                                       pageListOf(registry, words.plugin));
  for (const KeyStep& step : plan.steps) {
    if (!sendKeyStep(windows, confetti, step)) return false;
  }
  if (plan.repaint && !windows.invalidate(confetti).ok()) return false;
  return plan.succeeded;
}

}  // namespace zelko::menu
