// A device as `zelko-device init` makes it, with the suite installed, for driving the
// plugin installer the way other installers call it.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {

inline constexpr char kInstaller[] = "\\Program Files\\ZelkoToday\\VARN_installer.exe";
inline constexpr char kStatusKey[] = "SOFTWARE\\VARN";
inline constexpr char kPortraitLayout[] = "\\Windows\\Titanium_480x800.cpr";
inline constexpr char kLandscapeLayout[] = "\\Windows\\Titanium_800x480.cpr";
inline constexpr char kPortraitTemp[] = "\\tempTitaniumPortraitCpr.txt";

class InstallerTest : public EndToEndTest {
 protected:
  void SetUp() override;

 public:  // for the set-up steps of table-driven cases
  using EndToEndTest::platform;

  // Runs the installer with `params` as its command line and waits for it to end.
  void runInstaller(const std::string& params);
  // A value of the status record or of the home screen's key: a text as it is, a DWORD in
  // decimal, "<missing>" when there is none.
  std::string status(const std::string& name);
  std::string home(const std::string& name);
  void setHome(const std::string& name, const std::string& text);
  void deleteHome(const std::string& name);
  std::string readDeviceFile(const std::string& path);
  void writeDeviceFile(const std::string& path, const std::string& text);
  // The plugins whose blocks a layout file holds, in the file's order.
  std::vector<std::string> blocksIn(const std::string& layoutPath);
  // The names of the plugin order in "ExtensibilityXML", as it stands between its quotes.
  std::string order();
  // Writes \NAME.plg with a layers section for each size, whose text reads "NAME WxH"
  // and then `tag`; its device path.
  std::string writeDefinition(const std::string& name, int position, const std::string& tag = "",
                              const std::vector<std::string>& sizes = {"480x800", "800x480", "240x320", "320x240"});
  // The texts of the message boxes shown since the test began.
  std::vector<std::string> dialogs();
};

}  // namespace zelko::testing
