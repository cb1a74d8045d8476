// ZelkoWinToday, the resident data engine: a hidden window of class ZelkoToday, change
// callbacks on the phone's state values, and the widgets they run. It keeps no timers
// and never polls: the minute heartbeat of the Time value is its clock.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string_view>

#include "ZelkoWinToday/widgets.h"
#include "common/outlook_store.h"
#include "platform/notifications.h"
#include "platform/windows.h"

namespace zelko {
class Suite;
}

namespace zelko::engine {

// The engine's command line that skips the second full refresh of the start-up: the
// controller passes it when the home screen has just been switched on.
inline constexpr std::string_view kRestartSwitch = "-restart";

// How long the engine waits before it tries again a persistent launch the platform
// refused: the launches are what restarts it, so it keeps trying while it runs.
inline constexpr std::chrono::minutes kLaunchRetry{1};

class Engine {
 public:
  explicit Engine(Suite& suite);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The start-up up to the message loop: the single-instance test, settings, window,
  // registrations, store connection and first refreshes. nullopt when the engine is up;
  // otherwise the exit code to end with (another engine runs, no window).
  std::optional<int> start(std::string_view commandLine, int showState);
  // Closes the registrations and the store connection.
  void stop();
  // The whole program: start, message loop, stop. Returns the exit code.
  int run(std::string_view commandLine, int showState);

  // Every widget, in the refresh order; the operator runs only on its notification.
  void fullRefresh();
  // Message 1126: re-reads the skin and the suite INI document, writes the page
  // decorations of the new skin, then refreshes everything.
  void reloadSkin();

  platform::WindowHandle window() const { return window_; }
  Widgets& widgets() { return widgets_; }

 private:
  int64_t handleMessage(const platform::Message& message);
  // Registers the persistent launches; one the platform refuses is tried again, at most
  // once a minute, when a notification comes (retryLaunches).
  void registerLaunches();
  void retryLaunches();
  void registerCallbacks();
  void closeCallbacks();

  Suite& suite_;
  Widgets widgets_;
  // The callback registrations, in registration order; 0 for an empty slot.
  std::array<platform::NotificationHandle, 65> handles_{};
  platform::WindowHandle window_ = 0;
  std::unique_ptr<OutlookStore> store_;
  bool launchesPending_ = false;
  std::chrono::steady_clock::time_point nextLaunchTry_;
};

}  // namespace zelko::engine
