#include "ZelkoContacts/contact_menu.h"

#include "ZelkoContacts/contact_records.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::contacts {
namespace {

constexpr std::string_view kContactsExe = "%ZELKOTODAY%\\ZelkoContacts.exe";
constexpr std::string_view kSmsExe = "%ZELKOTODAY%\\ZelkoSms.exe";
constexpr std::string_view kMenuAction = "%ZELKOTODAY%\\ZelkoMenu.exe;ZelkoContacts.mnu";

// A number as one argument: quoted when it holds a blank ("+33 6 12 34 56 78"), which the
// command line would otherwise split; nullopt when it holds a double quote.
std::optional<std::string> numberArgument(std::string_view number) {
  if (number.find('"') != std::string_view::npos) return std::nullopt;
  if (number.find_first_of(" \t") == std::string_view::npos) return std::string(number);
  return "\"" + std::string(number) + "\"";
}

void setEntry(IniDocument& menu, std::string_view section, const std::string& label,
              std::string_view program, std::string_view option, std::string_view number) {
  std::optional<std::string> argument = numberArgument(number);
  if (!argument) return;
  std::optional<std::string> action = makeAction(program, std::string(option) + *argument);
  if (action) menu.set(section, label, *action);
}

void setCall(IniDocument& menu, const MenuLabels& labels, std::string_view number) {
  if (number.empty()) return;
  setEntry(menu, "Menu", labels.call + " " + std::string(number), kContactsExe, "-phone:", number);
}

// Section Text: one entry per prepared text that sends it to `mobile`; the number of them.
int setPreparedTexts(IniDocument& menu, const std::vector<std::string>& prepared,
                     std::string_view mobile) {
  std::optional<std::string> number = numberArgument(mobile);
  if (!number) return 0;
  int added = 0;
  for (const std::string& text : prepared) {
    if (text.find('"') != std::string::npos) continue;
    std::optional<std::string> action =
        makeAction(kSmsExe, "-sms:" + *number + " -text:\"" + text + "\"");
    if (!action) continue;
    menu.set("Text", text, *action);
    ++added;
  }
  return added;
}

}  // namespace

std::vector<std::string> readPreparedTexts(platform::Files& files, std::string_view path) {
  auto text = files.readText(path);
  if (!text.ok()) return {};
  return preparedTextLines(*text);
}

std::vector<std::string> preparedTextLines(std::string_view rest) {
  if (!rest.empty() && rest.back() == '\x1a') rest.remove_suffix(1);
  std::vector<std::string> lines;
  // Line breaks of any kind: LF, CR LF, CR CR LF, a lone CR.
  while (!rest.empty()) {
    size_t end = rest.find_first_of("\r\n");
    if (end != 0) lines.emplace_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return lines;
}

std::optional<std::string> makeAction(std::string_view program, std::string_view arguments) {
  if (arguments.find_first_of("|\r\n") != std::string_view::npos) return std::nullopt;
  char separator = arguments.find(';') == std::string_view::npos ? ';' : '|';
  return std::string(program) + separator + std::string(arguments);
}

IniDocument contactMenu(const ContactNumbers& numbers, const std::vector<std::string>& prepared,
                        const MenuLabels& labels) {
  IniDocument menu;
  if (!numbers.mobile.empty()) {
    setEntry(menu, "Menu", labels.sendSms, kContactsExe, "-sms:", numbers.mobile);
    if (setPreparedTexts(menu, prepared, numbers.mobile) > 0) menu.set("Menu", labels.myText, "[Text]");
    setCall(menu, labels, numbers.mobile);
  }
  setCall(menu, labels, numbers.home);
  setCall(menu, labels, numbers.business);
  return menu;
}

void showContactMenu(Suite& suite, std::string_view store, int n) {
  auto& files = suite.platform().files();
  std::string path = suite.settings().installPath(kMenuFile);
  platform::Status removed = files.removeFile(path);
  if (!removed.ok() && removed.code() != platform::Status::Code::kNotFound) {
    logFailure("deleting " + path, removed);
  }
  std::string key = anniversaryKey(store, n);
  auto number = [&](std::string_view name) {
    return suite.regReadText(platform::Root::kCurrentUser, key, name);
  };
  ContactNumbers numbers{number("mobilePhone"), number("homePhone"), number("businessPhone")};
  IniDocument& ini = suite.settings().suiteIni();
  MenuLabels labels{ini.getText("ZelkoToday", "SENDSMS", "SENDSMS"),
                    ini.getText("ZelkoToday", "MYTEXT", "MYTEXT"), ini.getText("ZelkoToday", "CALL", "CALL")};
  std::vector<std::string> prepared;
  if (!numbers.mobile.empty()) prepared = readPreparedTexts(files, suite.settings().installPath("SMS.txt"));
  IniDocument menu = contactMenu(numbers, prepared, labels);
  if (!menu.save(files, path)) {
    logFailure("writing " + path, platform::Status::IoError("the menu file cannot be written"));
  }
  suite.runAction(kMenuAction);
}

}  // namespace zelko::contacts
