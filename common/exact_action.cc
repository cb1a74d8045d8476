#include "common/exact_action.h"

#include "common/actions.h"
#include "platform/shell.h"

namespace zelko {
namespace {

std::string spell(const ActionArgument& argument) {
  const std::string& t = argument.text;
  if (!argument.quoted && t.find_first_of(" \t") == std::string::npos) return t;
  size_t colon = t.find(':');
  size_t open = colon == std::string::npos ? 0 : colon + 1;
  return t.substr(0, open) + '"' + t.substr(open) + '"';
}

// Whether running `action` starts `program` with exactly `arguments`.
bool carries(std::string_view action, std::string_view program,
             const std::vector<ActionArgument>& arguments, const SpecialFolders& folders) {
  auto parts = splitAction(expandMacros(action, folders));
  if (!parts || parts->program != expandMacros(program, folders)) return false;
  std::vector<std::string> received = platform::splitCommandLine(parts->arguments);
  if (received.size() != arguments.size()) return false;
  for (size_t i = 0; i < received.size(); ++i) {
    if (received[i] != arguments[i].text) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> exactAction(std::string_view program,
                                       const std::vector<ActionArgument>& arguments,
                                       const SpecialFolders& folders) {
  std::string joined;
  for (const ActionArgument& a : arguments) {
    if (!joined.empty()) joined += ' ';
    joined += spell(a);
  }
  std::string action(program);
  if (!joined.empty()) {
    action += joined.find(';') == std::string::npos ? ';' : '|';
    action += joined;
  }
  if (!carries(action, program, arguments, folders)) return std::nullopt;
  return action;
}

}  // namespace zelko
