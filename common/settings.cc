#include "common/settings.h"

#include <algorithm>
#include <chrono>

#include "common/host.h"
#include "common/value_store.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko {
namespace {

constexpr std::array<std::string_view, kWidgetKindCount> kWidgetValueNames = {
    "clock", "clockA", "clockO", "clockAO", "sys", "batt", "cal", "meteo"};
constexpr std::array<std::string_view, kWidgetKindCount> kDefaultFolders = {
    "skins\\default\\clock",   "skins\\default\\clockA", "skins\\default\\clockO",
    "skins\\default\\clockAO", "skins\\default\\sys",    "skins\\default\\batt",
    "skins\\default\\cal",     "skins\\default\\msn"};

constexpr int kInstanceLooks = 3;
constexpr std::chrono::milliseconds kInstanceWait{500};

}  // namespace

std::string_view widgetValueName(WidgetKind kind) {
  return kWidgetValueNames[static_cast<size_t>(kind)];
}

std::string_view defaultSkinFolder(WidgetKind kind, std::string_view weather) {
  if (kind == WidgetKind::kMeteo) {
    if (weather == "accu") return "skins\\default\\accu";
    if (weather == "google") return "skins\\default\\google";
  }
  return kDefaultFolders[static_cast<size_t>(kind)];
}

Argument parseArgument(std::string_view argument) {
  size_t colon = argument.find(':');
  if (colon == std::string_view::npos) return {std::string(argument), {}};
  std::string_view rest = argument.substr(colon + 1);
  return {std::string(argument.substr(0, colon)), std::string(rest.substr(0, rest.find(':')))};
}

std::vector<std::string> argumentsFromCommandLine(std::string_view programName,
                                                  std::string_view commandLine) {
  std::vector<std::string> args = platform::splitCommandLine(commandLine);
  args.insert(args.begin(), std::string(programName));
  return args;
}

std::string installFolderOf(std::string_view modulePath) {
  size_t slash = modulePath.rfind('\\');
  std::string folder(slash == std::string_view::npos ? std::string_view()
                                                     : modulePath.substr(0, slash));
  folder += '\\';
  return folder;
}

Settings::Settings(platform::Platform& platform) : platform_(platform) {}

Settings::~Settings() = default;

void Settings::startUp(std::string_view programName, uint32_t buildNumber,
                       std::span<const std::string> args) {
  earlier_form_ = false;
  runStartUp(programName, buildNumber, args);
}

void Settings::startUpEarlier(std::string_view programName, uint32_t buildNumber,
                              std::span<const std::string> args) {
  earlier_form_ = true;
  runStartUp(programName, buildNumber, args);
}

void Settings::runStartUp(std::string_view programName, uint32_t buildNumber,
                          std::span<const std::string> args) {
  program_name_ = std::string(programName);
  platform::Status recorded =
      platform_.registry().setValue(platform::Root::kCurrentUser, kBuildNumbersKey, programName,
                                    platform::RegValue::Dword(buildNumber));
  if (!recorded.ok()) platform_.log().failure("cannot record the build number", recorded);

  install_folder_ = installFolderOf(platform_.shell().modulePath());
  own_ini_path_ = install_folder_ + program_name_ + ".ini";
  suite_ini_path_ = install_folder_ + std::string(kSuiteIniName);
  readSkinName();
  readSpecialFolders();

  arguments_.clear();
  raw_arguments_.assign(args.begin() + std::min<size_t>(1, args.size()), args.end());
  for (size_t i = 1; i < args.size(); ++i) {
    Argument parsed = parseArgument(args[i]);
    arguments_.add("", parsed.name, parsed.value);
  }

  home_screen_mode_ = false;
  if (hasArgument(kHomeScreenSwitch)) enterHomeScreenMode();
}

void Settings::startUp(std::string_view programName, uint32_t buildNumber, int argc,
                       const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
  startUp(programName, buildNumber, args);
}

void Settings::startUpFromCommandLine(std::string_view programName, uint32_t buildNumber,
                                      int showState, std::string_view commandLine) {
  startUp(programName, buildNumber, std::span<const std::string>());
  show_state_ = showState;
  raw_command_line_ = std::string(commandLine);
}

void Settings::enterHomeScreenMode() {
  home_screen_mode_ = true;
  suite_ini_.load(platform_.files(), suite_ini_path_);
  loadSkinIni();
  loadSkinFolders();
}

void Settings::reloadSkin() {
  readSkinName();
  loadSkinIni();
  suite_ini_.load(platform_.files(), suite_ini_path_);
  loadSkinFolders();
}

void Settings::loadSkinFolders() {
  weather_ = readPluginText("Weather", kMaxSkinSettingUnits);
  lang_ = readPluginText("Lang", kMaxSkinSettingUnits);
  for (size_t i = 0; i < kWidgetKindCount; ++i) {
    skin_folders_[i] = readPluginText(kWidgetValueNames[i], kMaxSkinSettingUnits);
  }
}

std::string Settings::installPath(std::string_view relative) const {
  return install_folder_ + std::string(relative);
}

bool Settings::findRunningInstance(std::string_view name) {
  for (int look = 1; look <= kInstanceLooks; ++look) {
    // An instance that is still starting holds the mutex before it has a window, and
    // one that is ending may still hold it without one; the waits let either settle.
    if (look > 1) platform_.clock().sleep(kInstanceWait);
    auto mutex = platform_.sync().createMutex(name);
    if (!mutex.ok()) {
      // Nothing tells this start from a second one: it runs, as the phone's does.
      platform_.log().failure("cannot create the mutex " + std::string(name), mutex.status());
      return false;
    }
    if (!(*mutex)->alreadyExisted()) {
      held_mutexes_.push_back(std::move(*mutex));
      return false;
    }
    if (platform_.windows().findWindow(name) != 0) return true;
    // Deciding to run without a window in sight, this instance keeps its handle like a
    // first one, or the next start would find no mutex and run a third.
    if (look == kInstanceLooks) held_mutexes_.push_back(std::move(*mutex));
  }
  return false;
}

bool Settings::hasArgument(std::string_view name) const {
  return arguments_.find(name, "") != nullptr;
}

std::optional<std::string> Settings::argument(std::string_view name) const {
  const IniEntry* entry = arguments_.find(name, "");
  if (entry == nullptr) return std::nullopt;
  return entry->value;
}

int Settings::argumentNumber(std::string_view name, int fallback) const {
  const IniEntry* entry = arguments_.find(name, "");
  return entry ? parseLeadingInt(entry->value) : fallback;
}

std::optional<std::string> Settings::argumentText(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  for (const std::string& argument : raw_arguments_) {
    size_t colon = argument.find(':');
    if (!platform::equalsIgnoreCase(std::string_view(argument).substr(0, colon), name)) continue;
    return colon == std::string::npos ? std::string() : argument.substr(colon + 1);
  }
  return std::nullopt;
}

const std::string& Settings::skinFolder(WidgetKind kind) const {
  return skin_folders_[static_cast<size_t>(kind)];
}

std::string_view Settings::defaultFolder(WidgetKind kind) const {
  // The earlier start-up predates the google source: its name picks the msn folder there.
  if (earlier_form_ && weather_ == "google") return defaultSkinFolder(kind, {});
  return defaultSkinFolder(kind, weather_);
}

std::string Settings::readPluginText(std::string_view name, size_t maxUnits) {
  std::string text =
      regReadText(platform_.registry(), platform::Root::kLocalMachine, host::kPluginKey, name);
  if (platform::utf16Length(text) > maxUnits) text.clear();
  return text;
}

void Settings::readSkinName() {
  if (earlier_form_) {
    skin_name_.clear();
    skin_ini_path_.clear();
    return;
  }
  skin_name_ = readPluginText("SkinName", kMaxSkinNameUnits);
  skin_ini_path_ = install_folder_ + "skins\\" + skin_name_ + "\\" + skin_name_ + ".ini";
}

void Settings::loadSkinIni() {
  if (skin_ini_path_.empty()) {
    skin_ini_.clear();  // the earlier start-up has no skin INI file to load
  } else {
    skin_ini_.load(platform_.files(), skin_ini_path_);
  }
}

void Settings::readSpecialFolders() { special_folders_ = zelko::readSpecialFolders(platform_.shell()); }

}  // namespace zelko
