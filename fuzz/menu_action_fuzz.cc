// A prepared text of SMS.txt and a contact's number, as arbitrary bytes, made into the
// menu item that sends the one to the other: whatever they hold, the item read back from
// the menu file either is not there, or shows exactly that text and, run as ZelkoMenu
// runs it, hands ZelkoSms exactly that number and that text and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/actions.h"
#include "common/exact_action.h"
#include "common/ini_document.h"
#include "platform/shell.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kSelf = "%ZELKOTODAY%\\ZelkoSms.exe";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\0');
  std::string number(input.substr(0, split));
  std::string text(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));
  zelko::SpecialFolders folders;
  folders.programFiles = "\\Program Files";
  folders.windows = "\\Windows";

  auto action = zelko::exactAction(kSelf, {{"-sms:" + number}, {"-text:" + text, true}}, folders);
  if (!action || text.empty()) return 0;

  zelko::IniDocument menu;
  menu.set("Text", text, *action);
  zelko::IniDocument back;
  back.parse(menu.serialize());
  for (const zelko::IniEntry& e : back.entries()) {
    check(e.group == "Text" && e.key == text && e.value == *action);
    auto parts = zelko::splitAction(zelko::expandMacros(e.value, folders));
    check(parts && parts->program == "\\Program Files\\ZelkoToday\\ZelkoSms.exe");
    std::vector<std::string> received = zelko::platform::splitCommandLine(parts->arguments);
    check(received == std::vector<std::string>{"-sms:" + number, "-text:" + text});
  }
  return 0;
}
