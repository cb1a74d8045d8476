// The settings record every suite program fills at start-up: where the suite is
// installed, which skin is current, the command-line arguments, and, for programs run
// for the home screen, the suite and skin INI documents and the skin's image folders.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_document.h"
#include "common/special_folders.h"

namespace zelko::platform {
class NamedMutex;
class Platform;
}  // namespace zelko::platform

namespace zelko {

// The names the programs start up with and the build numbers they record under
// HKCU\Software\Zelko. The engine and its controller share a name, so that value holds
// the number of whichever started last.
struct ProgramId {
  std::string_view name;
  uint32_t build;
};
inline constexpr ProgramId kEngineProgram{"ZelkoToday", 570};
inline constexpr ProgramId kControllerProgram{"ZelkoToday", 565};
inline constexpr ProgramId kMeteoProgram{"ZelkoMeteo", 155};
inline constexpr ProgramId kContactsProgram{"ZelkoContacts", 170};
inline constexpr ProgramId kSmsProgram{"ZelkoSms", 160};
inline constexpr ProgramId kCalendarProgram{"ZelkoCalendar", 195};
inline constexpr ProgramId kToolsProgram{"ZelkoTools", 570};
inline constexpr ProgramId kMenuProgram{"ZelkoMenu", 130};
inline constexpr ProgramId kCommProgram{"ZelkoComm", 140};

inline constexpr std::string_view kBuildNumbersKey = "Software\\Zelko";
inline constexpr std::string_view kSuiteIniName = "ZelkoToday.ini";
inline constexpr std::string_view kHomeScreenSwitch = "-zelkotoday";

// A skin name longer than this, or a skin folder, Lang or Weather text longer than the
// other limit (UTF-16 units), is refused and read as missing: a cut name would point at
// some other folder, while a missing one falls back to the default skin.
inline constexpr size_t kMaxSkinNameUnits = 35;
inline constexpr size_t kMaxSkinSettingUnits = 67;

// The groups of skin images kept in one folder each; the registry value of the plugin
// key that names a kind's folder is widgetValueName().
enum class WidgetKind { kClock, kClockA, kClockO, kClockAO, kSys, kBatt, kCal, kMeteo };
inline constexpr size_t kWidgetKindCount = 8;
std::string_view widgetValueName(WidgetKind kind);
// The default folder of a kind. The weather folder depends on the weather source: exactly
// "accu" or "google" (case matters) pick their own, anything else the msn folder.
std::string_view defaultSkinFolder(WidgetKind kind, std::string_view weather);

// One command-line argument: "-max:5" is "-max" and "5"; with more colons the value
// ends at the second; "-zelkotoday" and "-x:" have empty values.
struct Argument {
  std::string name;
  std::string value;
};
Argument parseArgument(std::string_view argument);

// The list startUp takes for a program the shell started with `commandLine`: the program's
// own name, then the command line split as the phone's C runtime splits it.
std::vector<std::string> argumentsFromCommandLine(std::string_view programName,
                                                  std::string_view commandLine);

// The folder of a program's file, ending in "\" ("\Program Files\ZelkoToday\").
std::string installFolderOf(std::string_view modulePath);

class Settings {
 public:
  explicit Settings(platform::Platform& platform);
  ~Settings();
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // The start-up every program runs first: records the build number, finds the
  // installation folder and the current skin, asks the shell for the special folders,
  // stores the arguments after args[0] (the program's own name), and with -zelkotoday
  // (any case) enters home-screen mode.
  void startUp(std::string_view programName, uint32_t buildNumber,
               std::span<const std::string> args);
  void startUp(std::string_view programName, uint32_t buildNumber, int argc,
               const char* const* argv);
  // startUp without arguments, keeping the command line whole for programs that read it
  // themselves (the engine and its controller).
  void startUpFromCommandLine(std::string_view programName, uint32_t buildNumber, int showState,
                              std::string_view commandLine);
  // The earlier start-up that the popup menu and the radio switcher still run: as
  // startUp, but it reads no skin name and builds no skin INI path (both stay empty, and
  // home-screen mode loads no skin INI document), and its default weather folder knows
  // only msn and accu ("google" falls back to msn). Neither program shows skin images.
  void startUpEarlier(std::string_view programName, uint32_t buildNumber,
                      std::span<const std::string> args);

  // Loads the suite and skin INI documents (a missing file leaves one empty) and the
  // skin folders. -zelkotoday does this at start-up; the engine always does.
  void enterHomeScreenMode();
  // After a skin change: re-reads the skin name, rebuilds the skin INI path, reloads the
  // skin and then the suite INI document, and the skin folders.
  void reloadSkin();
  // Re-reads Weather, Lang and the configured folder of each widget kind.
  void loadSkinFolders();

  // The installation folder followed by `relative`.
  std::string installPath(std::string_view relative) const;

  // True when another instance of the program named `name` runs: its named mutex exists
  // and a top-level window of class `name` shows up within three looks, 500 ms apart.
  // An instance that runs (false) keeps its mutex handle for as long as this record
  // lives, also when it decided so after three looks without a window.
  bool findRunningInstance(std::string_view name);

  // The argument store: names compared without regard to case.
  bool hasArgument(std::string_view name) const;
  // The value, or nullopt when the argument was not given.
  std::optional<std::string> argument(std::string_view name) const;
  // The value read as a decimal number (see IniDocument::getNumber), or `fallback`
  // when the argument was not given.
  int argumentNumber(std::string_view name, int fallback) const;
  // The whole text after the argument's first colon, further colons included; nullopt
  // when not given. argument() ends the value at a second colon, which cuts a message
  // text such as -text:"See you at 10:30" short; free texts are read with this instead.
  std::optional<std::string> argumentText(std::string_view name) const;
  const IniDocument& arguments() const { return arguments_; }

  const std::string& programName() const { return program_name_; }
  const std::string& installFolder() const { return install_folder_; }
  const std::string& ownIniPath() const { return own_ini_path_; }
  const std::string& suiteIniPath() const { return suite_ini_path_; }
  const std::string& skinName() const { return skin_name_; }
  const std::string& skinIniPath() const { return skin_ini_path_; }
  const SpecialFolders& specialFolders() const { return special_folders_; }
  bool homeScreenMode() const { return home_screen_mode_; }
  const std::string& rawCommandLine() const { return raw_command_line_; }
  int showState() const { return show_state_; }

  IniDocument& suiteIni() { return suite_ini_; }
  const IniDocument& suiteIni() const { return suite_ini_; }
  IniDocument& skinIni() { return skin_ini_; }
  const IniDocument& skinIni() const { return skin_ini_; }

  // The configured folder of a widget kind (empty when not set) and its default.
  const std::string& skinFolder(WidgetKind kind) const;
  std::string_view defaultFolder(WidgetKind kind) const;
  const std::string& lang() const { return lang_; }
  const std::string& weather() const { return weather_; }
  // Whether the record was filled by startUpEarlier.
  bool earlierForm() const { return earlier_form_; }

 private:
  void runStartUp(std::string_view programName, uint32_t buildNumber,
                  std::span<const std::string> args);
  void loadSkinIni();
  std::string readPluginText(std::string_view name, size_t maxUnits);
  void readSkinName();
  void readSpecialFolders();

  platform::Platform& platform_;
  std::string program_name_;
  std::string install_folder_;
  std::string own_ini_path_;
  std::string suite_ini_path_;
  std::string skin_name_;
  std::string skin_ini_path_;
  SpecialFolders special_folders_;
  IniDocument arguments_;
  std::vector<std::string> raw_arguments_;  // as given, for argumentText()
  bool home_screen_mode_ = false;
  bool earlier_form_ = false;
  IniDocument suite_ini_;
  IniDocument skin_ini_;
  std::array<std::string, kWidgetKindCount> skin_folders_;
  std::string lang_;
  std::string weather_;
  std::string raw_command_line_;
  int show_state_ = 0;
  std::vector<std::unique_ptr<platform::NamedMutex>> held_mutexes_;
};

}  // namespace zelko
