// Action strings: a program and its arguments in one text ("ZelkoComm.exe;-bt:off"),
// with path macros such as %ZELKOTODAY%. Programs start one another and run the user's
// hooks through them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "common/special_folders.h"
#include "platform/status.h"

namespace zelko::platform {
class Shell;
class Ui;
}  // namespace zelko::platform

namespace zelko {

// The longest expansion of an action string, in UTF-16 units.
inline constexpr size_t kMaxExpandedUnits = 519;
// The longest program part and the longest arguments part, in UTF-16 units.
inline constexpr size_t kMaxActionPartUnits = 255;

// Replaces every `from` in `text` by `to`, left to right; the search goes on after the
// inserted text, so a `to` that contains `from` is not replaced again.
void replaceAll(std::string& text, std::string_view from, std::string_view to);

// Replaces %ZELKOTODAY%, %ZELKODECK%, %PROGRAMFILES%, %WINDOWS%, %MYMUSIC%, %MYVIDEO% and
// %MYPICTURES%, in that order, each everywhere (case-sensitive); the search goes on after
// the inserted text, so a folder that contains a macro's own name is not expanded again.
// %ZELKOTODAY% stands for "%PROGRAMFILES%\ZelkoToday", so it always names the folder
// under Program Files. An expansion longer than kMaxExpandedUnits is refused: the result
// is the empty text, which runs nothing, rather than a cut text that would name another
// program or carry other arguments.
std::string expandMacros(std::string_view text, const SpecialFolders& folders);

struct ActionParts {
  std::string program;
  std::string arguments;
};

// Splits an action string. The separator is "|" when the text holds one, else ";".
// Separators at the start are skipped; the program part runs to the first separator,
// the arguments part from there to the next separator, CR or LF; the rest is ignored.
// nullopt when the program part is empty (nothing to run) or a part is longer than
// kMaxActionPartUnits (cutting it could run another program or pass other arguments).
std::optional<ActionParts> splitAction(std::string_view action);

struct ActionRun {
  std::string expanded;         // the action string with its macros expanded
  bool started = false;         // the shell started the program or opened the file
  std::optional<int> exitCode;  // with wait, once the program ended
  bool timedOut = false;        // with wait, when waitLimit passed before the end
  // Why it did not start: the shell's answer, or Invalid for an action that names no
  // program or has a part too long to pass on.
  platform::Status failure;
};

// Waiting without limit.
inline constexpr std::chrono::milliseconds kNoWaitLimit{-1};

// Expands and splits the action string and asks the shell to run it, showing the wait
// cursor meanwhile and restoring the previous one. With `wait`, blocks until the program
// ends or `waitLimit` passes (the program then keeps running). Failures are silent: an
// action that cannot run gives started == false.
ActionRun runAction(platform::Shell& shell, platform::Ui& ui, const SpecialFolders& folders,
                    std::string_view action, bool wait,
                    std::chrono::milliseconds waitLimit = kNoWaitLimit);

}  // namespace zelko
