#include "VARN_installer/installer.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "VARN_installer/command_line.h"
#include "VARN_installer/layout_actions.h"
#include "VARN_installer/status_record.h"
#include "VARN_installer/text_lines.h"

namespace zelko::varn {
namespace {

using platform::RegValue;
using platform::Root;

constexpr char kVersion[] = "1.0 rc3.1";

// A path option's errors come in threes from `missing`: missing, no backslash, no end.
InstallError pathError(PathFault fault, int missing) {
  return installError(missing + static_cast<int>(fault) - static_cast<int>(PathFault::kMissing));
}
constexpr auto kLongestWait = std::chrono::seconds(60);

class Installer {
 public:
  explicit Installer(platform::Platform& platform)
      : platform_(platform), status_(platform.registry()), line_(platform.shell().commandLine()) {}

  void run();

 private:
  std::unique_ptr<platform::NamedMutex> waitForTurn();
  void startStatusRecord();
  std::optional<InstallError> readCall();
  std::optional<InstallError> chooseLayout();
  std::optional<InstallError> runAction();
  // Shows an error of the option handling as soon as it is found; the command-line path
  // errors show their text without the number there.
  InstallError found(InstallError error);
  void show(const std::string& text);
  void finish(const std::optional<InstallError>& error);

  platform::Platform& platform_;
  StatusRecord status_;
  const std::string line_;
  bool silent_ = false;
  Action action_ = Action::kNone;
  Call call_;
};

void Installer::run() {
  platform::Windows& windows = platform_.windows();
  // The suite's own installer is on screen: it is the one the person deals with.
  if (platform::WindowHandle other = windows.findWindow("VARN_insClass")) {
    platform::Status raised = windows.setForeground(other);
    if (!raised.ok()) std::fprintf(stderr, "VARN_installer: %s\n", raised.message().c_str());
    return;
  }
  auto turn = waitForTurn();
  call_.screen = windows.screenSize();
  silent_ = contains(line_, "-silent");
  startStatusRecord();
  std::optional<InstallError> error;
  if (!platform_.registry().keyExists(Root::kLocalMachine, kHomeKey)) {
    error = found(installError(101));
  } else {
    error = readCall();
    if (!error) error = runAction();
  }
  finish(error);
}

// Two installers editing one layout file at once would each write back their own copy,
// and one plugin would be lost: a second run waits for the first to end.
std::unique_ptr<platform::NamedMutex> Installer::waitForTurn() {
  platform::Clock& clock = platform_.clock();
  const auto giveUp = clock.steadyNow() + kLongestWait;
  while (true) {
    auto mutex = platform_.sync().createMutex("VARN_installer");
    if (!mutex.ok()) {
      std::fprintf(stderr, "VARN_installer: %s\n", mutex.status().message().c_str());
      return nullptr;
    }
    if (!(*mutex)->alreadyExisted() || clock.steadyNow() > giveUp) return std::move(*mutex);
    mutex->reset();
    clock.sleep(std::chrono::milliseconds(20));
  }
}

void Installer::startStatusRecord() {
  if (!status_.open().ok()) {
    show(installError(100).text);
    return;
  }
  status_.recordError(installError(0));
  for (const char* name : {"PLG", "CPR", "Action"}) {
    if (auto previous = status_.text(std::string("call") + name, kHomeValueUnits)) {
      status_.setText(std::string("lastCall") + name, *previous);
    }
  }
  status_.setText("Version", kVersion);
}

std::optional<InstallError> Installer::readCall() {
  status_.setText("callOverall", line_);
  action_ = findAction(line_);
  if (action_ == Action::kNone) return found(installError(1));
  status_.setText("callAction", actionName(action_));
  if (action_ == Action::kAddChange) {
    PathOption plg = findPath(line_, " -plg:", ".plg");
    if (plg.fault != PathFault::kNone) return found(pathError(plg.fault, 2));
    call_.definitionPath = plg.path;
    status_.setText("callPLG", plg.path);
  }
  if (auto error = chooseLayout()) return error;
  if (action_ == Action::kDelete) {
    auto plugin = findPluginName(line_);
    if (!plugin) return found(installError(32));
    call_.plugin = *plugin;
    status_.setText("callPlugin", *plugin);
    status_.setText("callTypeCPR", "plugin");
  }
  call_.toBronze = contains(line_, " -view:BronzeListView");
  call_.toTitanium = contains(line_, " -view:TitaniumListView");
  call_.keepHomeValues = contains(line_, " -nochangechomereg");
  call_.keepLayout = contains(line_, " -nochangecpr");
  return std::nullopt;
}

// The layout file: the home screen's own for the current screen size, or a path given.
std::optional<InstallError> Installer::chooseLayout() {
  LayoutOption option = findLayoutOption(line_);
  if (option.choice == LayoutChoice::kDirect) {
    PathOption cpr = findPath(line_, " -cpr:", ".cpr");
    if (cpr.fault != PathFault::kNone) return found(pathError(cpr.fault, 12));
    call_.layoutPath = cpr.path;
    status_.setText("callCPR", cpr.path);
    status_.setText("callTypeCPR", "direct");
    return std::nullopt;
  }
  status_.setText("callTypeCPR", option.recordedAs);
  call_.landscape = option.landscape;
  platform::Registry& registry = platform_.registry();
  auto base = readText(registry, Root::kLocalMachine, kHomeKey, "CPRFile", kCprFileUnits);
  if (!base) return found(installError(20));
  auto ext = readText(registry, Root::kLocalMachine, kHomeKey, "ExtensibilityXML", kHomeValueUnits);
  if (!ext) return found(installError(28));
  // The name the home screen's order element gives wins over a stale "CPRFile"; an element
  // that names none leaves "CPRFile" as it is.
  bool fromOrder = false;
  constexpr std::string_view kNamed = "CPRFileName=\"";
  if (!contains(*ext, std::string(kNamed) + *base + "\"")) {
    size_t at = ext->find(kNamed);
    size_t end = at == std::string::npos ? at : ext->find('"', at + kNamed.size());
    if (end != std::string::npos) {
      base = ext->substr(at + kNamed.size(), end - at - kNamed.size());
      fromOrder = true;
    }
  }
  if (option.forbiddenApplies) {
    auto forbidden = status_.text("ForbiddenList", kHomeValueUnits);
    call_.forbidden = forbidden && contains(*forbidden, ";" + *base + ";");
  }
  const platform::ScreenSize s = call_.screen;
  status_.setNumber("curResX", static_cast<uint32_t>(s.width));
  status_.setNumber("curResY", static_cast<uint32_t>(s.height));
  call_.layoutPath = "\\Windows\\" + *base + "_" +
                     platform::screenSizeText(call_.landscape ? platform::ScreenSize{s.height, s.width} : s) +
                     ".cpr";
  call_.currentLayout = true;
  status_.setText("callCPR", call_.layoutPath);
  if (fromOrder && !contains(line_, " -nochangechomereg")) {
    writeValue(registry, Root::kLocalMachine, kHomeKey, "CPRFile", RegValue::Text(*base));
  }
  return std::nullopt;
}

std::optional<InstallError> Installer::runAction() {
  switch (action_) {
    case Action::kAddChange: return addOrChange(platform_, status_, call_);
    case Action::kDelete: return deletePlugin(platform_, status_, call_);
    case Action::kChange: return changeListView(platform_, status_, call_);
    case Action::kNone: break;
  }
  return std::nullopt;
}

InstallError Installer::found(InstallError error) {
  bool pathError = (error.number >= 2 && error.number <= 4) || (error.number >= 12 && error.number <= 14);
  show(pathError ? error.withoutNumber() : error.text);
  return error;
}

void Installer::show(const std::string& text) {
  if (!silent_) platform_.ui().messageBox("VARN", text);
}

void Installer::finish(const std::optional<InstallError>& error) {
  if (error) {
    show(error->text);
    status_.recordError(*error);
  }
  // The suite's own installer marks its page once it is complete.
  auto complete = status_.number("VARNCompleteInstalled");
  auto star = status_.text("is2StarPath", kStarPathUnits);
  platform::Registry& registry = platform_.registry();
  if (complete && *complete != 0 && star) {
    if (registry.keyExists(Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN\\Page1")) {
      writeValue(registry, Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN\\Page1", "starPNG",
                 RegValue::Text(*star));
    }
    if (registry.keyExists(Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN")) {
      writeValue(registry, Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN", "Updated",
                 RegValue::Dword(1));
    }
  }
  status_.setNumber("VARNhasChangedSomething", 1);
}

}  // namespace

void runInstaller(platform::Platform& platform) { Installer(platform).run(); }

}  // namespace zelko::varn
