// ZelkoMenu.exe: pops up the menu of a menu file over the home screen and runs the item the
// user picks. The home screen or a provider starts it with the menu file's name as its
// whole command line ("ZelkoSms.mnu"; none means ZelkoMenu.mnu). An invisible window of
// class "ZelkoMenu" owns the menu; the menu closes on a choice, on a tap outside it or
// after its time-out, and the program then ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ZelkoMenu/menu_file.h"
#include "platform/windows.h"

namespace zelko {
class Suite;
}

namespace zelko::menu {

// Posted to the own window once the message loop runs: build the menus and show them.
inline constexpr uint32_t kBuildMessage = platform::kWmUser + 101;
// The timer that closes an untouched menu.
inline constexpr uint32_t kMenuTimer = 9;

class PopupMenu {
 public:
  explicit PopupMenu(Suite& suite);
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  // The whole program: start-up, the second-instance rule (a running menu is brought to
  // the foreground and this one ends), the window and its message loop. The exit code.
  int run(std::string_view commandLine);

 private:
  int64_t handleMessage(const platform::Message& message);
  // Builds the menus and either runs a command at once (the total rule) or shows them.
  void build();
  // Runs the command a choice gave (0: none), then closes the window.
  void command(int id);
  void send(uint32_t message, uint64_t wParam);
  void stopTimer();

  Suite& suite_;
  std::string menu_path_;
  platform::WindowHandle window_ = 0;
  MenuTree tree_;
};

}  // namespace zelko::menu
