#include "VARN_installer/command_line.h"

#include "VARN_installer/text_lines.h"

namespace zelko::varn {

Action findAction(std::string_view line) {
  if (contains(line, "-addchange")) return Action::kAddChange;
  if (contains(line, "-delete")) return Action::kDelete;
  if (contains(line, "-change")) return Action::kChange;
  return Action::kNone;
}

std::string_view actionName(Action action) {
  switch (action) {
    case Action::kAddChange: return "addchange";
    case Action::kDelete: return "delete";
    case Action::kChange: return "change";
    case Action::kNone: break;
  }
  return "";
}

PathOption findPath(std::string_view line, std::string_view option, std::string_view extension) {
  size_t at = line.find(option);
  if (at == std::string_view::npos) return {PathFault::kMissing, {}};
  size_t start = at + option.size();
  if (start >= line.size() || line[start] != '\\') return {PathFault::kNoBackslash, {}};
  size_t end = line.find(extension, start);
  if (end == std::string_view::npos) return {PathFault::kNoEnd, {}};
  return {PathFault::kNone, std::string(line.substr(start, end + extension.size() - start))};
}

LayoutOption findLayoutOption(std::string_view line) {
  struct Named {
    std::string_view option;
    LayoutOption meaning;
  };
  static constexpr Named kNamed[] = {
      {" -cpr:currentPortrait", {LayoutChoice::kCurrentPortrait, "currentPortrait", false, true}},
      {" -cpr:currentLandscape", {LayoutChoice::kCurrentLandscape, "currentLandscape", true, true}},
      {" -cpr:forcecurrentPortrait", {LayoutChoice::kForceCurrentPortrait, "forcecurrent", false, true}},
      {" -cpr:forcecurrentLandscape",
       {LayoutChoice::kForceCurrentLandscape, "forcecurrentLandscape", true, true}},
      {" -cpr:all", {LayoutChoice::kAll, "all", false, false}},
  };
  for (const Named& named : kNamed) {
    if (contains(line, named.option)) return named.meaning;
  }
  return {};
}

std::optional<std::string> findPluginName(std::string_view line) {
  constexpr std::string_view kOption = " -plugin:";
  size_t at = line.find(kOption);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(at + kOption.size());
  std::string_view name = rest.substr(0, rest.find(' '));
  if (name.empty()) return std::nullopt;
  return std::string(name);
}

}  // namespace zelko::varn
