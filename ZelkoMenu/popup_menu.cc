#include "ZelkoMenu/popup_menu.h"

#include <cstdio>
#include <optional>

#include "ZelkoMenu/navigation.h"
#include "ZelkoMenu/total_rule.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::menu {
namespace {

using platform::Status;

constexpr ProgramId kProgram = kMenuProgram;

// The phone shows nothing of these failures; they go to the program's log.
void logFailure(const Status& status, std::string_view what) {
  if (status.ok()) return;
  std::fprintf(stderr, "ZelkoMenu: cannot %.*s: %s\n", static_cast<int>(what.size()), what.data(),
               status.message().c_str());
}

// The words of a navigation command start at its seventh character.
std::string_view navigationWords(std::string_view action) {
  return action.substr(platform::utf16Prefix(action, kGotoPrefix.size() + 1).size());
}

}  // namespace

PopupMenu::PopupMenu(Suite& suite) : suite_(suite) {}

int PopupMenu::run(std::string_view commandLine) {
  Settings& settings = suite_.settings();
  settings.startUpEarlier(kProgram.name, kProgram.build, {});
  platform::Windows& windows = suite_.platform().windows();
  // A menu already open keeps the screen; this start only brings it to the front. The
  // named mutex also covers a first menu that has not made its window yet.
  if (settings.findRunningInstance(kProgram.name)) {
    if (platform::WindowHandle open = windows.findWindow(kProgram.name)) {
      logFailure(windows.setForeground(open), "bring the open menu to the front");
    }
    return 0;
  }
  // The whole command line is the file's name, as it stands: no splitting, no unquoting.
  menu_path_ = settings.installPath(commandLine.empty() ? kDefaultMenuFile : commandLine);

  Status registered = windows.registerClass(
      kProgram.name, [this](const platform::Message& m) { return handleMessage(m); });
  logFailure(registered, "register the window class");
  if (!registered.ok()) return 0;
  auto window = windows.createWindow(kProgram.name, "");
  logFailure(window.status(), "create the window");
  if (!window.ok()) return 0;
  window_ = *window;
  // Built from the message loop, so that the loop runs while the menu is open.
  Status posted = windows.postMessage({window_, kBuildMessage, 0, 0});
  logFailure(posted, "start building the menu");
  if (!posted.ok()) return 0;
  return windows.runMessageLoop();
}

int64_t PopupMenu::handleMessage(const platform::Message& message) {
  platform::Windows& windows = suite_.platform().windows();
  switch (message.message) {
    case kBuildMessage:
      build();
      break;
    case platform::kWmCommand:
      command(static_cast<int>(message.wParam & 0xFFFF));
      break;
    case platform::kWmTimer:
      if (message.wParam == kMenuTimer) {
        stopTimer();
        tree_ = {};
      }
      windows.postQuit(0);
      break;
    case platform::kWmClose:
      logFailure(windows.destroyWindow(window_), "close the window");
      break;
    case platform::kWmDestroy:
      stopTimer();
      tree_ = {};
      windows.postQuit(0);
      break;
  }
  return 0;
}

void PopupMenu::build() {
  platform::Platform& platform = suite_.platform();
  IniDocument file;
  // A missing file gives an empty menu, which runs nothing.
  loadMenuFile(platform.files(), menu_path_, file);
  tree_ = buildMenuTree(file);
  if (isTotalMenu(menu_path_)) {
    if (std::optional<int> id = totalCommand(platform.registry())) {
      send(platform::kWmCommand, static_cast<uint64_t>(*id));
      return;
    }
  }
  std::optional<int> chosen;
  // The phone shows no empty menu: it closes at once with no choice.
  if (!tree_.items.empty()) {
    std::chrono::milliseconds timeOut = menuTimeOut(file);
    // The menu opens where the tap that started the program touched the screen.
    platform::Point tap = platform.windows().cursorPosition();
    logFailure(platform.windows().setForeground(window_), "come to the front");
    logFailure(platform.windows().setTimer(window_, kMenuTimer, timeOut), "start the time-out");
    chosen = platform.ui().popupMenu(tree_.items, tap.x, tap.y, timeOut);
  }
  send(platform::kWmCommand, static_cast<uint64_t>(chosen.value_or(0)));
}

void PopupMenu::command(int id) {
  stopTimer();
  std::optional<std::string> action = tree_.action(id);
  if (action && action->starts_with(kGotoPrefix)) {
    platform::Platform& platform = suite_.platform();
    // A navigation that cannot be carried out leaves the home screen as it is; the menu
    // closes all the same.
    navigate(platform.windows(), platform.registry(), navigationWords(*action));
  } else if (action) {
    suite_.runAction(*action);
  }
  send(platform::kWmClose, 0);
}

void PopupMenu::send(uint32_t message, uint64_t wParam) {
  auto result = suite_.platform().windows().sendMessage({window_, message, wParam, 0});
  logFailure(result.status(), "handle its own message");
}

void PopupMenu::stopTimer() {
  Status stopped = suite_.platform().windows().killTimer(window_, kMenuTimer);
  // No timer runs before the menu opens, nor after it closed.
  if (stopped.code() != Status::Code::kNotFound) logFailure(stopped, "stop the time-out");
}

}  // namespace zelko::menu
