// Windows of the device. A window is a row in registry.db naming its process's queue;
// its procedure lives in the process that created it, and everything addressed to it
// travels as packets through that process's queue.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "platform/clock.h"
#include "platform/sim/db.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/runtime.h"
#include "platform/windows.h"

namespace zelko::platform::sim {

class SimWindows final : public Windows {
 public:
  using NotifyDispatch = std::function<void(uint64_t cookie)>;
  SimWindows(Database& db, DeviceSettings& settings, Runtime& runtime, NotifyDispatch notify)
      : db_(db), settings_(settings), runtime_(runtime), notify_(std::move(notify)) {}
  ~SimWindows() override;
  static Status createSchema(Database& db);

  Status registerClass(std::string_view className, WindowProc proc) override;
  Result<WindowHandle> createWindow(std::string_view className, std::string_view title,
                                    WindowHandle parent) override;
  Status destroyWindow(WindowHandle window) override;
  WindowHandle findWindow(std::string_view className) override;
  WindowHandle findChildWindow(WindowHandle parent, std::string_view className) override;
  std::optional<WindowInfo> windowInfo(WindowHandle window) override;
  std::vector<WindowInfo> listWindows() override;
  Status postMessage(const Message& message) override;
  Result<int64_t> sendMessage(const Message& message) override;
  Status setTimer(WindowHandle window, uint32_t id, std::chrono::milliseconds interval) override;
  Status killTimer(WindowHandle window, uint32_t id) override;
  int runMessageLoop() override;
  bool pumpMessages(std::chrono::milliseconds maxWait) override;
  void postQuit(int code) override;
  int quitCode() override { return quitCode_; }
  Status setForeground(WindowHandle window) override;
  WindowHandle foreground() override;
  Status invalidate(WindowHandle window) override;
  // The device setting "screen", which `zelko-device init --screen` and `screen` set.
  ScreenSize screenSize() override;
  Point cursorPosition() override;
  Status setCursorPosition(Point point) override;

 private:
  struct Row {
    WindowInfo info;
    std::string address;
    uint64_t startTime = 0;
  };
  struct Timer {
    std::chrono::milliseconds interval;
    std::chrono::steady_clock::time_point due;
  };

  // The live windows matching `where`, whose parameters `bind` fills.
  std::vector<Row> rows(std::string_view where, const std::function<void(Statement&)>& bind);
  std::optional<Row> liveRow(WindowHandle window);
  WindowHandle firstLive(int64_t parent, std::string_view className);
  // Waits at most `wait` for the next packet, serving due timers meanwhile; false when none.
  bool handleNext(std::chrono::milliseconds wait);
  void dispatch(const Packet& p);
  int64_t callProc(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);
  std::optional<std::chrono::steady_clock::time_point> fireDueTimers();

  Database& db_;
  DeviceSettings& settings_;
  Runtime& runtime_;
  NotifyDispatch notify_;
  std::unordered_map<std::string, WindowProc> classes_;   // by folded class name
  std::unordered_map<WindowHandle, std::string> local_;   // our windows and their class
  std::unordered_set<WindowHandle> dying_;                // inside their destroyWindow
  std::map<std::pair<WindowHandle, uint32_t>, Timer> timers_;
  std::deque<Packet> deferred_;  // arrived while a sendMessage waited for its answer
  uint64_t nextRequest_ = 1;
  uint64_t lastMarkSent_ = 0;  // pumpMessages' end-of-backlog marks
  uint64_t lastMarkSeen_ = 0;
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace zelko::platform::sim
