#include "platform/sim/home_host.h"

#include <cstdio>
#include <thread>

#include "platform/sim/journal.h"
#include "platform/sim/ui_host.h"

namespace zelko::platform::sim {
namespace {

constexpr std::string_view kDesktopClass = "DesktopExplorerWindow";
constexpr std::string_view kPluginClass = "CHSPlugin";
constexpr std::string_view kFocusClass = "Confetti";

std::string keyName(uint64_t virtualKey) {
  if (std::optional<HomeKey> arrow = homeKeyOf(virtualKey)) return std::string(homeKeyName(*arrow));
  char text[24];
  std::snprintf(text, sizeof text, "0x%02llx", static_cast<unsigned long long>(virtualKey));
  return text;
}

}  // namespace

HomeScreenHost::HomeScreenHost(Device& device)
    : device_(device), screen_(device.platform().registry(), device.settings()) {}

HomeScreenHost::~HomeScreenHost() {
  if (desktop_ == 0) return;
  Status s = device_.platform().windows().destroyWindow(desktop_);
  if (!s.ok()) std::fprintf(stderr, "home screen: %s\n", s.message().c_str());
}

bool HomeScreenHost::running(Windows& windows) { return windows.findWindow(kDesktopClass) != 0; }

Status HomeScreenHost::start() {
  Windows& windows = device_.platform().windows();
  if (running(windows)) return Status::Invalid("a home screen runs already");
  auto idle = [](const Message&) -> int64_t { return 0; };
  for (std::string_view name : {kDesktopClass, kPluginClass}) {
    Status s = windows.registerClass(name, idle);
    if (!s.ok()) return s;
  }
  Status s = windows.registerClass(kFocusClass, [this](const Message& m) { return handleFocusMessage(m); });
  if (!s.ok()) return s;
  auto desktop = windows.createWindow(kDesktopClass, "Desktop");
  if (!desktop.ok()) return desktop.status();
  desktop_ = *desktop;
  auto plugin = windows.createWindow(kPluginClass, "", desktop_);
  if (!plugin.ok()) return plugin.status();
  auto focus = windows.createWindow(kFocusClass, "", *plugin);
  if (!focus.ok()) return focus.status();
  focus_window_ = *focus;
  // The browser view draws the home screen in another process: each drawing here tells it.
  screen_.setDrawListener([this](const HomeFocus&) { tellView(); });
  return screen_.reset();
}

void HomeScreenHost::tellView() {
  Windows& windows = device_.platform().windows();
  WindowHandle view = windows.findWindow(kUiHostClass);
  if (view == 0) return;
  Status told = windows.postMessage({view, kWmUiHostDraw, 0, 0});
  // A view that ended meanwhile needs no drawing.
  if (!told.ok() && told.code() != Status::Code::kNotFound) {
    std::fprintf(stderr, "home screen: %s\n", told.message().c_str());
  }
}

void HomeScreenHost::serve(std::chrono::milliseconds wait) {
  if (focus_window_ == 0) {
    std::this_thread::sleep_for(wait);
    return;
  }
  device_.platform().windows().pumpMessages(wait);
}

int64_t HomeScreenHost::handleFocusMessage(const Message& message) {
  switch (message.message) {
    case kWmKeyDown:
      handleKey(message.wParam);
      break;
    case kWmSetRedraw:
      screen_.setRedraw(message.wParam != 0);
      device_.journal().record("redraw", {JsonField::Bool("on", message.wParam != 0)});
      break;
    case kWmPaint:
      screen_.invalidate();
      break;
  }
  return 0;
}

void HomeScreenHost::handleKey(uint64_t virtualKey) {
  HomeFocus reached = screen_.focus();
  if (std::optional<HomeKey> arrow = homeKeyOf(virtualKey)) {
    Result<HomeFocus> moved = screen_.move(*arrow);
    if (moved.ok()) {
      reached = *moved;
    } else {
      std::fprintf(stderr, "home screen: %s\n", moved.status().message().c_str());
    }
  }
  device_.journal().record("key", {JsonField::Text("key", keyName(virtualKey)),
                                   JsonField::Text("plugin", reached.plugin),
                                   JsonField::Text("page", reached.page)});
}

}  // namespace zelko::platform::sim
