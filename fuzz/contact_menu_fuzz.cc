// Builds the birthdays provider's contact menu from an arbitrary number (the first line)
// and an arbitrary SMS.txt (the rest), writes it and reads it back as ZelkoMenu does:
// nothing may crash, and every item must start its program with exactly the number and
// the prepared text that its label shows, whatever bytes they hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ZelkoContacts/contact_menu.h"
#include "common/actions.h"
#include "platform/shell.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

zelko::SpecialFolders folders() {
  zelko::SpecialFolders f;
  f.programFiles = "\\Program Files";
  f.windows = "\\Windows";
  f.myPictures = "\\My Documents\\My Pictures";
  return f;
}

// The program and the arguments that running `action` hands over.
std::vector<std::string> received(std::string_view action, std::string_view program) {
  auto parts = zelko::splitAction(zelko::expandMacros(action, folders()));
  check(parts.has_value());
  check(parts->program == zelko::expandMacros(program, folders()));
  return zelko::platform::splitCommandLine(parts->arguments);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string mobile(input.substr(0, newline));
  std::string_view file = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  std::vector<std::string> prepared = zelko::contacts::preparedTextLines(file);

  zelko::IniDocument written = zelko::contacts::contactMenu({mobile, "", ""}, prepared, {}, folders());
  zelko::IniDocument menu;
  menu.parse(written.serialize());
  for (const zelko::IniEntry* e = menu.firstInSection("Text"); e; e = menu.nextInSection()) {
    check(std::find(prepared.begin(), prepared.end(), e->key) != prepared.end());
    check(received(e->value, "%ZELKOTODAY%\\ZelkoSms.exe") ==
          std::vector<std::string>{"-sms:" + mobile, "-text:" + e->key});
  }
  for (const zelko::IniEntry* e = menu.firstInSection("Menu"); e; e = menu.nextInSection()) {
    if (e->value == "[Text]") continue;
    std::string option = e->key == "SENDSMS" ? "-sms:" : "-phone:";
    check(received(e->value, "%ZELKOTODAY%\\ZelkoContacts.exe") == std::vector<std::string>{option + mobile});
  }
  return 0;
}
