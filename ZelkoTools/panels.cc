#include "ZelkoTools/panels.h"

#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::tools {
namespace {

using platform::Root;

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

int switchPanel(Suite& suite, const std::string& page) {
  std::string pages = suite.regReadText(Root::kLocalMachine, host::kPluginKey, host::kPages);
  bool enabled = contains(pages, page);
  if (!suite.platform().ui().askYesNo("Panels", (enabled ? "Disable " : "Enable ") + page)) return 0;
  std::string list = "Page1;Page2";
  for (int n = 3; n <= 5; ++n) {
    std::string item = ";Page" + std::to_string(n);
    if (contains(item, page) ? !enabled : contains(pages, item)) list += item;
  }
  if (!suite.regWriteText(Root::kLocalMachine, host::kPluginKey, host::kPages, list)) {
    suite.platform().log().write("cannot write the plugin's pages " + list);
    return 0;
  }
  return 1;
}

bool layoutFits(std::string_view text, int width, int height) {
  const std::string widthText = "screenWidth=\"" + std::to_string(width) + "\"";
  const std::string heightText = "screenHeight=\"" + std::to_string(height) + "\"";
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end == std::string_view::npos ? end : end + 1);
    std::string_view piece = platform::utf16Prefix(line, kLayoutReadUnits);
    if (contains(piece, "<layout") && contains(piece, widthText) && contains(piece, heightText)) {
      return true;
    }
    text.remove_prefix(piece.size());
  }
  return false;
}

void checkSkin(Suite& suite, const std::string& layoutPath) {
  auto write = [&](std::string_view name, std::string_view value) {
    if (!suite.regWriteText(Root::kLocalMachine, host::kPluginKey, name, value)) {
      suite.platform().log().write("cannot write " + std::string(name));
    }
  };
  write("SkinError", layoutPath);
  write("Path", suite.settings().installFolder());
  auto text = suite.platform().files().readText(layoutPath);
  if (!text.ok()) {
    suite.platform().log().failure("cannot read the layout " + layoutPath, text.status());
    return;
  }
  platform::ScreenSize screen = suite.platform().windows().screenSize();
  if (layoutFits(*text, screen.width, screen.height)) write("SkinError", "");
}

}  // namespace zelko::tools
