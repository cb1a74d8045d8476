#include "ZelkoTools/registration.h"

#include <span>
#include <string>
#include <string_view>

#include "common/host.h"
#include "common/suite.h"
#include "common/wait_cursor.h"
#include "platform/platform.h"

namespace zelko::tools {
namespace {

using platform::Root;

// The launches the engines before this one registered; -install clears what is left.
constexpr std::string_view kOldLaunches[] = {
    "ZelkoTodayTel",        "ZelkoTodaySms",  "ZelkoTodayEmail",    "ZelkoTodayDate",
    "ZelkoTodayBatt",       "ZelkoTodayCal",  "ZelkoTodayCal2",     "ZelkoTodayCal3",
    "ZelkoTodayWifi",       "ZelkoTodayBlueTooth", "ZelkoTodayAlarm", "ZelkoTodayOperator",
    "ZelkoTodayVoicemail",  "ZelkoTodayActiveSync", "ZelkoTodayData", "ZelkoTodayCellular",
    "ZelkoToday3G"};
// The persistent launches of the current engine.
constexpr std::string_view kEngineLaunches[] = {"ZelkoTitanium", "ZelkoWinToday"};

struct PageActions {
  std::string_view page;
  std::string panel;      // ACTIONURLPNX
  std::string softKey;    // SK2URL
  std::string_view caption;  // SK2TEXT
};

class Registration {
 public:
  explicit Registration(Suite& suite) : suite_(suite) {}

  void text(std::string_view page, std::string_view name, std::string_view value) {
    if (!suite_.regWriteText(Root::kLocalMachine, host::pageKey(page), name, value)) failed(page, name);
  }
  void number(std::string_view name, uint32_t value) {
    if (!suite_.regWriteNumber(Root::kLocalMachine, host::kPluginKey, name, value)) failed("", name);
  }
  void createKey(std::string_view page) {
    platform::Status s = suite_.platform().registry().createKey(Root::kLocalMachine, host::pageKey(page));
    if (!s.ok()) suite_.platform().log().failure("cannot create the key of " + std::string(page), s);
  }

 private:
  void failed(std::string_view page, std::string_view name) {
    suite_.platform().log().write("cannot register " + std::string(page) + " " + std::string(name));
  }

  Suite& suite_;
};

void stopLaunches(Suite& suite, std::span<const std::string_view> names) {
  for (std::string_view name : names) {
    platform::Status s = suite.platform().notifications().stopLaunch(name);
    if (!s.ok() && s.code() != platform::Status::Code::kNotFound) {
      suite.platform().log().failure("cannot stop the launch " + std::string(name), s);
    }
  }
}

void removePluginKey(Suite& suite) {
  platform::Status s = suite.platform().registry().deleteKey(Root::kLocalMachine, host::kPluginKey);
  if (!s.ok() && s.code() != platform::Status::Code::kNotFound) {
    suite.platform().log().failure("cannot remove the old registration", s);
  }
}

void writePluginValues(Suite& suite, Registration& reg) {
  const Settings& settings = suite.settings();
  platform::ScreenSize screen = suite.platform().windows().screenSize();
  reg.number("Width", static_cast<uint32_t>(screen.width));
  reg.number("Height", static_cast<uint32_t>(screen.height));
  const std::pair<std::string_view, std::string_view> texts[] = {
      {"LocName", "ZelkoToday"},
      {"Layout", "ZelkoToday"},
      {"DataSource", host::kPluginKey},
      {"Updated", "0"},
      {"Pages", "Page1;Page2;Page3;Page4;Page5"},
      {"GUID", "{F0A1B246-6E64-40cd-8E15-347D29FF6F18}"},
      // The second time zone's clocks share the folders of the main ones.
      {"clock", "skins\\default\\clock"},
      {"clockA", "skins\\default\\clockA"},
      {"clockO", "skins\\default\\clock"},
      {"clockAO", "skins\\default\\clockA"},
      {"sys", "skins\\default\\sys"},
      {"batt", "skins\\default\\batt"},
      {"meteo", settings.defaultFolder(WidgetKind::kMeteo)},
      {"cal", "skins\\default\\cal"},
  };
  for (const auto& [name, value] : texts) reg.text("", name, value);
  reg.text(host::kCondensedPage, "PluginLabel", "ZelkoToday");
}

void writePageValues(Suite& suite, Registration& reg) {
  const Settings& settings = suite.settings();
  // The skin folders were read at start, so the images are those of the skin in use
  // before the old registration went.
  std::string calImage = suite.values().resolveImage(settings.skinFolder(WidgetKind::kClock),
                                                     "cal.png", "skins\\default\\clock");
  std::string sysImage = suite.values().resolveImage(settings.skinFolder(WidgetKind::kSys),
                                                     "Sys.png", "skins\\default\\sys");
  const PageActions pages[] = {
      {host::kPage1, suite.expandMacros("%ZELKOTODAY%\\ZelkoMenu.exe;ZelkoAction.mnu"),
       settings.installPath("CommManager.lnk"), "C.Manager"},
      {host::kPage2, suite.expandMacros("%ZELKOTODAY%\\ZelkoMeteo.exe;-zelkotoday"),
       settings.installPath("ZelkoTodayVille.mscr"), "Config."},
      {host::kPage3, suite.expandMacros("%ZELKOTODAY%\\ZelkoCalendar.exe;-titanium -zelkotoday"),
       ":MSCALENDAR", "Cal."},
      {host::kPage4, suite.expandMacros("%ZELKOTODAY%\\ZelkoSms.exe;-zelkotoday"),
       suite.expandMacros("%WINDOWS%\\tmail.exe;-service \"SMS\""), "SMS"},
      {host::kPage5, suite.expandMacros("%ZELKOTODAY%\\ZelkoContacts.exe;-zelkotoday"), "", ""},
  };
  for (const PageActions& p : pages) {
    reg.text(p.page, "ACTIONURL",
             suite.expandMacros("%ZELKODECK%\\ZelkoDeck.exe;ZelkoToday " + std::string(p.page)));
    reg.text(p.page, "ACTIONURLPNX", p.panel);
    reg.text(p.page, "SK2URL", p.softKey);
    reg.text(p.page, "SK2TEXT", p.caption);
    if (p.page == host::kPage1) {
      reg.text(p.page, "CalPNG", calImage);
      reg.text(p.page, "SysPNG", sysImage);
    }
  }
}

}  // namespace

void install(Suite& suite) {
  WaitCursor cursor(suite.platform().ui());
  removePluginKey(suite);
  Registration reg(suite);
  for (std::string_view page : {std::string_view(), host::kCondensedPage, host::kPage1,
                                host::kPage2, host::kPage3, host::kPage4}) {
    reg.createKey(page);
  }
  writePluginValues(suite, reg);
  writePageValues(suite, reg);
  stopLaunches(suite, kOldLaunches);
}

void uninstall(Suite& suite) {
  WaitCursor cursor(suite.platform().ui());
  stopLaunches(suite, kEngineLaunches);
}

}  // namespace zelko::tools
