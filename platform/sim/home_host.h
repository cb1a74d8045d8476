// The home screen as a service of the device: its windows DesktopExplorerWindow >
// CHSPlugin > Confetti, run by the device's background service between heartbeats.
// Confetti takes the focus keys: an arrow key (WM_KEYDOWN) moves the focus of the
// HomeScreen, WM_SETREDRAW turns its drawing off and on, WM_PAINT draws it again. Each key
// is a journal event "key" with the focus it reached; each WM_SETREDRAW an event "redraw".
// Each drawing is posted to the browser view's window (kUiHostClass) when one serves.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/sim/device.h"
#include "platform/sim/home_screen.h"
#include "platform/windows.h"

namespace zelko::platform::sim {

class HomeScreenHost {
 public:
  explicit HomeScreenHost(Device& device);
  ~HomeScreenHost();
  HomeScreenHost(const HomeScreenHost&) = delete;
  HomeScreenHost& operator=(const HomeScreenHost&) = delete;

  // Whether a home screen runs on the device (in any process).
  static bool running(Windows& windows);

  // Registers the window classes, creates the three windows and puts the focus on the
  // first page of the first plugin. Invalid when a home screen runs already.
  Status start();
  // Handles the home screen's messages for about `wait` (sleeps when it did not start).
  void serve(std::chrono::milliseconds wait);
  HomeScreen& screen() { return screen_; }

 private:
  int64_t handleFocusMessage(const Message& message);
  void handleKey(uint64_t virtualKey);
  // Tells the browser view (ui_host.h), when one serves, that the home screen was drawn.
  void tellView();

  Device& device_;
  HomeScreen screen_;
  WindowHandle desktop_ = 0;
  WindowHandle focus_window_ = 0;
};

}  // namespace zelko::platform::sim
