#include "ZelkoContacts/contact_menu.h"

#include "ZelkoContacts/contact_records.h"
#include "common/exact_action.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::contacts {
namespace {

constexpr std::string_view kContactsExe = "%ZELKOTODAY%\\ZelkoContacts.exe";
constexpr std::string_view kSmsExe = "%ZELKOTODAY%\\ZelkoSms.exe";
constexpr std::string_view kMenuAction = "%ZELKOTODAY%\\ZelkoMenu.exe;ZelkoContacts.mnu";

// Whether the menu file gives the entry back as it was set: the INI reader trims white
// space at the ends of a line (a number ending in a form feed would lose it) and reads a
// long line in pieces.
bool readsBack(const std::string& label, const std::string& action) {
  IniDocument one;
  one.add("Menu", label, action);
  IniDocument back;
  back.parse(one.serialize());
  const IniEntry* entry = back.firstInSection("Menu");
  return entry && entry->key == label && entry->value == action && !back.nextInSection();
}

// Sets `label` to the action that starts `program` with exactly `arguments`, when there is
// one and the file keeps both whole. Labels are one item whatever their case, so a label
// already there keeps its own action: two prepared texts that differ only in case would
// otherwise show the one and send the other.
void setEntry(IniDocument& menu, std::string_view section, const std::string& label,
              std::string_view program, const std::vector<ActionArgument>& arguments,
              const SpecialFolders& folders) {
  if (menu.find(section, label)) return;
  std::optional<std::string> action = exactAction(program, arguments, folders);
  if (action && readsBack(label, *action)) menu.set(section, label, *action);
}

void setCall(IniDocument& menu, const MenuLabels& labels, std::string_view number,
             const SpecialFolders& folders) {
  if (number.empty()) return;
  setEntry(menu, "Menu", labels.call + " " + std::string(number), kContactsExe,
           {{"-phone:" + std::string(number)}}, folders);
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

IniDocument contactMenu(const ContactNumbers& numbers, const std::vector<std::string>& prepared,
                        const MenuLabels& labels, const SpecialFolders& folders) {
  IniDocument menu;
  if (!numbers.mobile.empty()) {
    std::string sms = "-sms:" + numbers.mobile;
    setEntry(menu, "Menu", labels.sendSms, kContactsExe, {{sms}}, folders);
    for (const std::string& text : prepared) {
      setEntry(menu, "Text", text, kSmsExe, {{sms}, {"-text:" + text, true}}, folders);
    }
    if (menu.firstInSection("Text")) menu.set("Menu", labels.myText, "[Text]");
    setCall(menu, labels, numbers.mobile, folders);
  }
  setCall(menu, labels, numbers.home, folders);
  setCall(menu, labels, numbers.business, folders);
  return menu;
}

void showContactMenu(Suite& suite, std::string_view store, int n) {
  auto& files = suite.platform().files();
  std::string path = suite.settings().installPath(kMenuFile);
  platform::Status removed = files.removeFile(path);
  if (!removed.ok() && removed.code() != platform::Status::Code::kNotFound) {
    suite.platform().log().failure("deleting " + path, removed);
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
  IniDocument menu = contactMenu(numbers, prepared, labels, suite.settings().specialFolders());
  if (!menu.save(files, path)) {
    suite.platform().log().failure("writing " + path,
                                   platform::Status::IoError("the menu file cannot be written"));
  }
  suite.runAction(kMenuAction);
}

}  // namespace zelko::contacts
