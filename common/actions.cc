#include "common/actions.h"

#include <array>
#include <utility>

#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace zelko {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
}

std::string expandMacros(std::string_view text, const SpecialFolders& folders) {
  // The order matters: the first two produce %PROGRAMFILES%, which the third replaces.
  const std::array<std::pair<std::string_view, std::string_view>, 7> macros = {{
      {"%ZELKOTODAY%", "%PROGRAMFILES%\\ZelkoToday"},
      {"%ZELKODECK%", "%PROGRAMFILES%\\ZelkoDeck"},
      {"%PROGRAMFILES%", folders.programFiles},
      {"%WINDOWS%", folders.windows},
      {"%MYMUSIC%", folders.myMusic},
      {"%MYVIDEO%", folders.myVideo},
      {"%MYPICTURES%", folders.myPictures},
  }};
  std::string out(text);
  for (const auto& [macro, folder] : macros) replaceAll(out, macro, folder);
  if (platform::utf16Length(out) > kMaxExpandedUnits) return {};
  return out;
}

std::optional<ActionParts> splitAction(std::string_view action) {
  char separator = 0;
  if (action.find('|') != std::string_view::npos) {
    separator = '|';
  } else if (action.find(';') != std::string_view::npos) {
    separator = ';';
  }
  ActionParts parts;
  if (separator == 0) {
    parts.program = std::string(action);
  } else {
    size_t start = action.find_first_not_of(separator);
    if (start == std::string_view::npos) return std::nullopt;
    std::string_view rest = action.substr(start);
    size_t end = rest.find(separator);
    parts.program = std::string(rest.substr(0, end));
    if (end != std::string_view::npos) {
      std::string_view arguments = rest.substr(end + 1);
      const char stops[] = {separator, '\r', '\n'};
      parts.arguments =
          std::string(arguments.substr(0, arguments.find_first_of(std::string_view(stops, 3))));
    }
  }
  if (parts.program.empty()) return std::nullopt;
  if (platform::utf16Length(parts.program) > kMaxActionPartUnits ||
      platform::utf16Length(parts.arguments) > kMaxActionPartUnits) {
    return std::nullopt;
  }
  return parts;
}

ActionRun runAction(platform::Shell& shell, platform::Ui& ui, const SpecialFolders& folders,
                    std::string_view action, bool wait, std::chrono::milliseconds waitLimit) {
  ActionRun run;
  run.expanded = expandMacros(action, folders);
  std::optional<ActionParts> parts = splitAction(run.expanded);
  if (!parts) {
    run.failure = platform::Status::Invalid("no program, or a part too long");
    return run;
  }

  platform::Cursor previous = ui.setCursor(platform::Cursor::kWait);
  platform::ExecRequest request;
  request.file = parts->program;
  request.params = parts->arguments;
  request.wait = wait;
  request.waitLimit = waitLimit;
  auto result = shell.execute(request);
  ui.setCursor(previous);

  run.started = result.ok();
  if (!result.ok()) {
    run.failure = result.status();
    return run;
  }
  run.exitCode = result->exitCode;
  run.timedOut = result->timedOut;
  return run;
}

}  // namespace zelko
