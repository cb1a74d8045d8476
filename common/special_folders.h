// The shell's special folders that path macros stand for.
#pragma once

#include <string>

namespace zelko {
namespace platform {
class Shell;
}

// Device paths without a trailing backslash. A folder the shell cannot give is a single
// blank, as the phone's start-up leaves it; a macro then expands to that blank.
struct SpecialFolders {
  std::string programFiles = " ";
  std::string windows = " ";
  std::string myMusic = " ";
  std::string myVideo = " ";
  std::string myPictures = " ";
};

// The folders as the shell gives them now.
SpecialFolders readSpecialFolders(platform::Shell& shell);

}  // namespace zelko
