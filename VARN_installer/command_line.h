// The installer's command line: one text in which options are found by plain substring
// search (case-sensitive, in any order). Most options begin with a blank, so they are not
// found at the very start of the text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelko::varn {

enum class Action { kNone, kAddChange, kDelete, kChange };

// "-addchange", else "-delete", else "-change".
Action findAction(std::string_view line);
// "addchange", "delete" or "change", as "callAction" records it.
std::string_view actionName(Action action);

enum class PathFault { kNone, kMissing, kNoBackslash, kNoEnd };

struct PathOption {
  PathFault fault = PathFault::kNone;
  std::string path;
};

// The path after `option` (" -plg:"): it must begin with a backslash right after the colon
// and runs up to and including the first `extension` (".plg") after it, blanks and all.
PathOption findPath(std::string_view line, std::string_view option, std::string_view extension);

enum class LayoutChoice {
  kCurrentPortrait,
  kCurrentLandscape,
  kForceCurrentPortrait,
  kForceCurrentLandscape,
  kAll,
  kDirect,  // none of the above: a path after " -cpr:"
};

struct LayoutOption {
  LayoutChoice choice = LayoutChoice::kDirect;
  std::string_view recordedAs;    // "callTypeCPR"; empty for kDirect
  bool landscape = false;
  bool forbiddenApplies = false;  // the four current-resolution options
};

// The first of " -cpr:currentPortrait", " -cpr:currentLandscape",
// " -cpr:forcecurrentPortrait", " -cpr:forcecurrentLandscape" and " -cpr:all" that the
// line holds.
LayoutOption findLayoutOption(std::string_view line);

// The name after " -plugin:", up to the next blank or the end; nullopt when the option is
// missing or the name empty.
std::optional<std::string> findPluginName(std::string_view line);

}  // namespace zelko::varn
