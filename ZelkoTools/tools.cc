#include "ZelkoTools/tools.h"

#include "ZelkoTools/panels.h"
#include "ZelkoTools/registration.h"
#include "ZelkoTools/unzip.h"
#include "common/suite.h"
#include "common/wait_cursor.h"
#include "platform/platform.h"

namespace zelko::tools {
namespace {

int unzip(Suite& suite) {
  const Settings& settings = suite.settings();
  std::string archive = settings.argument("-zipfile").value_or("");
  std::string folder = settings.argument("-dirpath").value_or("");
  platform::Platform& p = suite.platform();
  // Without a destination the archive would land in the root of the phone's file system.
  if (archive.empty() || folder.empty()) {
    p.log().write("-unzip needs -zipfile:ARCHIVE and -dirpath:FOLDER");
    return 1;
  }
  WaitCursor cursor(p.ui());
  unpackArchive(p.files(), p.clock(), p.log(), archive, folder);
  return 1;
}

}  // namespace

std::string skinPathOf(std::string_view commandLine) {
  size_t blank = commandLine.find(' ');
  return blank == std::string_view::npos ? std::string() : std::string(commandLine.substr(blank + 1));
}

int run(Suite& suite, std::string_view commandLine) {
  Settings& settings = suite.settings();
  settings.loadSkinFolders();
  if (settings.hasArgument("-skin")) {
    std::string path = skinPathOf(commandLine);
    // With nothing to test, an empty SkinError would say that nothing fits perfectly.
    if (path.empty()) {
      suite.platform().log().write("-skin needs the path of a layout file");
    } else {
      checkSkin(suite, path);
    }
    return 0;
  }
  if (auto page = settings.argument("-panels")) return switchPanel(suite, *page);
  if (settings.hasArgument("-install")) {
    install(suite);
    return 1;
  }
  if (settings.hasArgument("-uninstall")) {
    uninstall(suite);
    return 1;
  }
  if (settings.hasArgument("-unzip")) return unzip(suite);
  return 0;
}

}  // namespace zelko::tools
