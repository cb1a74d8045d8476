#include "platform/shell.h"

namespace zelko::platform {

std::vector<std::string> splitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false;
  bool haveArg = false;  // "" is an (empty) argument of its own
  for (char c : line) {
    if (c == '"') {
      inQuotes = !inQuotes;
      haveArg = true;
    } else if (!inQuotes && (c == ' ' || c == '\t')) {
      if (haveArg) args.push_back(std::move(current));
      current.clear();
      haveArg = false;
    } else {
      current.push_back(c);
      haveArg = true;
    }
  }
  if (haveArg) args.push_back(std::move(current));
  return args;
}

}  // namespace zelko::platform
