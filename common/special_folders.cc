#include "common/special_folders.h"

#include "platform/shell.h"

namespace zelko {

SpecialFolders readSpecialFolders(platform::Shell& shell) {
  auto ask = [&](platform::SpecialFolder id) -> std::string {
    auto path = shell.specialFolder(id);
    return path.ok() ? *path : std::string(" ");
  };
  SpecialFolders folders;
  folders.programFiles = ask(platform::SpecialFolder::kProgramFiles);
  folders.windows = ask(platform::SpecialFolder::kWindows);
  folders.myMusic = ask(platform::SpecialFolder::kMyMusic);
  folders.myVideo = ask(platform::SpecialFolder::kMyVideo);
  folders.myPictures = ask(platform::SpecialFolder::kMyPictures);
  return folders;
}

}  // namespace zelko
