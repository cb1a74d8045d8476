#include "ZelkoSms/menu.h"

#include "ZelkoSms/log.h"
#include "ZelkoSms/records.h"
#include "common/exact_action.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::sms {
namespace {

constexpr std::string_view kSelf = "%ZELKOTODAY%\\ZelkoSms.exe";
constexpr std::string_view kMenuFile = "ZelkoSms.mnu";
constexpr std::string_view kMenu = "Menu";
constexpr std::string_view kText = "Text";

class MenuBuilder {
 public:
  explicit MenuBuilder(Suite& suite) : suite_(suite) {}

  // The label text of `key` in section ZelkoToday of the suite INI file, else the key.
  std::string label(std::string_view key) {
    return suite_.settings().suiteIni().getText("ZelkoToday", key, key);
  }
  // Adds the item when its action carries the arguments whole; whether it did.
  bool item(std::string_view section, const std::string& label,
            const std::vector<ActionArgument>& arguments) {
    auto action = exactAction(kSelf, arguments, suite_.settings().specialFolders());
    if (!action || platform::utf16Length(*action) > kMaxMenuActionUnits) return false;
    menu_.set(section, label, *action);
    return true;
  }
  void submenu(const std::string& label, std::string_view section) {
    menu_.set(kMenu, label, "[" + std::string(section) + "]");
  }
  // The prepared texts, each sending its text to `number`. Two texts that differ only in
  // case would make one item that shows the first and sends the second: the first stays.
  bool texts(const std::string& number, const std::vector<std::string>& texts) {
    bool any = false;
    for (const std::string& t : texts) {
      if (menu_.find(kText, t)) continue;
      any |= item(kText, t, {{"-sms:" + number}, {"-text:" + t, true}});
    }
    return any;
  }
  void call(const std::string& number) {
    item(kMenu, label("CALL") + " " + number, {{"-phone:" + number}});
  }
  IniDocument take() { return std::move(menu_); }

 private:
  Suite& suite_;
  IniDocument menu_;
};

// Splits at every line break (LF, CR LF, a lone CR) and leaves out the empty lines.
std::vector<std::string> nonEmptyLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<std::string> preparedTexts(Suite& suite) {
  auto text = suite.platform().files().readText(suite.settings().installPath("SMS.txt"));
  if (!text.ok()) return {};
  std::string_view body = *text;
  // Old editors close a text file with an end-of-file character.
  while (!body.empty() && body.back() == '\x1A') body.remove_suffix(1);
  return nonEmptyLines(body);
}

IniDocument buildMenu(Suite& suite, const MessageRecord& record, int n,
                      const std::vector<std::string>& texts) {
  MenuBuilder menu(suite);
  std::string number = record.number();
  std::string nth = std::to_string(n);
  menu.item(kMenu, menu.label("VIEW"), {{"-infos:" + nth}, {"-zelkotoday"}});
  if (record.unread) menu.item(kMenu, menu.label("MARK"), {{"-mark:" + nth}});
  if (!number.empty()) {
    menu.item(kMenu, menu.label("SENDSMS"), {{"-reply:" + nth}});
    if (menu.texts(number, texts)) menu.submenu(menu.label("MYTEXT"), kText);
    menu.call(number);
  }
  if (!record.homePhone.empty()) menu.call(record.homePhone);
  if (!record.businessPhone.empty()) menu.call(record.businessPhone);
  if (!record.unread) menu.item(kMenu, menu.label("DELETE"), {{"-delete:" + nth}, {"-zelkotoday"}});
  return menu.take();
}

void showMenu(Suite& suite, std::string_view storeName, int n) {
  Settings& settings = suite.settings();
  platform::Files& files = suite.platform().files();
  settings.suiteIni().load(files, settings.suiteIniPath());
  std::string path = settings.installPath(kMenuFile);
  platform::Status removed = files.removeFile(path);
  if (removed.code() != platform::Status::Code::kNotFound) logFailure("cannot remove " + path, removed);
  IniDocument menu = buildMenu(suite, readRecord(suite, storeName, n), n, preparedTexts(suite));
  if (!menu.save(files, path)) {
    logFailure("no menu", platform::Status::IoError("cannot write " + path));
    return;
  }
  if (!suite.runAction("%ZELKOTODAY%\\ZelkoMenu.exe;" + std::string(kMenuFile)).started) {
    logFailure("no menu", platform::Status::Failed("cannot start ZelkoMenu.exe"));
  }
}

}  // namespace zelko::sms
