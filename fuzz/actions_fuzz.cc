// Expands and splits arbitrary bytes as an action string: nothing may crash or loop, the
// expansion stays within its limit, and a split never hands the shell a part that is too
// long or that still holds a separator or a line break.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "common/actions.h"
#include "platform/text.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zelko::SpecialFolders folders;
  folders.programFiles = "\\Program Files";
  // Folders that hold macro names must not be expanded again in their own pass.
  folders.windows = "\\W%WINDOWS%%MYMUSIC%";
  folders.myMusic = "\\My Documents\\My Music|;";
  folders.myVideo = "%MYVIDEO%%MYVIDEO%";

  std::string expanded = zelko::expandMacros(text, folders);
  check(zelko::platform::utf16Length(expanded) <= zelko::kMaxExpandedUnits);

  for (std::string_view action : {text, std::string_view(expanded)}) {
    std::optional<zelko::ActionParts> parts = zelko::splitAction(action);
    if (!parts) continue;
    check(!parts->program.empty());
    check(zelko::platform::utf16Length(parts->program) <= zelko::kMaxActionPartUnits);
    check(zelko::platform::utf16Length(parts->arguments) <= zelko::kMaxActionPartUnits);
    char separator = action.find('|') != std::string_view::npos ? '|' : ';';
    check(parts->program.find(separator) == std::string::npos);
    check(parts->arguments.find_first_of(std::string{separator, '\r', '\n'}) == std::string::npos);
  }
  return 0;
}
