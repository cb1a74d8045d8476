// Windows, window messages, timers and the message loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelko::platform {

using WindowHandle = uint64_t;  // 0 is "no window"

constexpr uint32_t kWmDestroy = 0x0002;
constexpr uint32_t kWmSetRedraw = 0x000B;  // wParam 0 stops drawing, 1 resumes it
constexpr uint32_t kWmPaint = 0x000F;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmQuit = 0x0012;
constexpr uint32_t kWmKeyDown = 0x0100;  // wParam: the virtual key
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmCommand = 0x0111;  // wParam: the chosen command's identifier
constexpr uint32_t kWmTimer = 0x0113;
constexpr uint32_t kWmUser = 0x0400;

// Virtual keys of the arrows.
constexpr uint64_t kVkLeft = 0x25;
constexpr uint64_t kVkUp = 0x26;
constexpr uint64_t kVkRight = 0x27;
constexpr uint64_t kVkDown = 0x28;

struct Message {
  WindowHandle window = 0;
  uint32_t message = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
};

// Returns the message's result (what sendMessage hands back to the sender).
using WindowProc = std::function<int64_t(const Message&)>;

// The screen in pixels as the phone stands now: width and height change places when it turns.
struct ScreenSize {
  int width = 0;
  int height = 0;
};

// "480x800" as a ScreenSize; nullopt unless both are whole numbers from 1 to 9999.
std::optional<ScreenSize> parseScreenSize(std::string_view text);
// "480x800".
std::string screenSizeText(ScreenSize size);

// A point of the screen, in pixels from its top left corner.
struct Point {
  int x = 0;
  int y = 0;
};

struct WindowInfo {
  WindowHandle handle = 0;
  WindowHandle parent = 0;
  std::string className;
  std::string title;
  int pid = 0;
};

class Windows {
 public:
  Windows() = default;
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;
  virtual ~Windows() = default;

  // Registers a class of this process; Invalid when this process registered it already.
  virtual Status registerClass(std::string_view className, WindowProc proc) = 0;
  // Creates a window of a class this process registered. The window lives until
  // destroyWindow or the end of the process; other processes find and message it.
  virtual Result<WindowHandle> createWindow(std::string_view className, std::string_view title,
                                            WindowHandle parent = 0) = 0;
  // Removes the window (and its children), then calls its procedure with kWmDestroy.
  virtual Status destroyWindow(WindowHandle window) = 0;

  // A live top-level window of that class (compared without regard to case), or 0. A
  // window whose process died is never found.
  virtual WindowHandle findWindow(std::string_view className) = 0;
  // A live direct child of `parent` of that class, or 0.
  virtual WindowHandle findChildWindow(WindowHandle parent, std::string_view className) = 0;
  virtual std::optional<WindowInfo> windowInfo(WindowHandle window) = 0;
  // Every live window of the device.
  virtual std::vector<WindowInfo> listWindows() = 0;

  // Queues the message for the window's process; messages to one process arrive in the
  // order they were posted. NotFound when the window does not exist (any more).
  virtual Status postMessage(const Message& message) = 0;
  // Delivers the message and returns the receiver's result, waiting while the receiver
  // runs its procedure. Meanwhile this process keeps handling messages sent to it, so two
  // programs sending to each other do not lock up. NotFound when the window is gone or
  // its process ends before answering.
  virtual Result<int64_t> sendMessage(const Message& message) = 0;

  // Every `interval` the window receives kWmTimer with wParam = id. A timer of the same
  // window and id is replaced.
  virtual Status setTimer(WindowHandle window, uint32_t id, std::chrono::milliseconds interval) = 0;
  virtual Status killTimer(WindowHandle window, uint32_t id) = 0;

  // Handles messages, timers and notification callbacks of this process until postQuit;
  // returns the quit code.
  virtual int runMessageLoop() = 0;
  // Waits at most `maxWait` for a message (0: does not wait), then handles every message
  // that is queued, with due timers and callbacks. Returns false once postQuit was called
  // (the quit code is then quitCode()).
  virtual bool pumpMessages(std::chrono::milliseconds maxWait) = 0;
  virtual void postQuit(int code) = 0;
  virtual int quitCode() = 0;

  virtual Status setForeground(WindowHandle window) = 0;
  virtual WindowHandle foreground() = 0;
  // Asks the window to redraw: it receives kWmPaint.
  virtual Status invalidate(WindowHandle window) = 0;

  // The screen's size as it stands now (the phone's system metrics).
  virtual ScreenSize screenSize() = 0;
  // Where the screen was last touched, which a touch screen keeps as its cursor: a
  // program started by a tap opens its popup menu there. The middle of the screen until
  // the first touch.
  virtual Point cursorPosition() = 0;
  // Moves the cursor, as a touch at `point` does.
  virtual Status setCursorPosition(Point point) = 0;
};

}  // namespace zelko::platform
