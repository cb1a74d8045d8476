// What a touch of the home screen does, for the browser view and `zelko-device tap`: a
// page's panel, its page or its second soft key runs the page's ACTIONURLPNX, ACTIONURL or
// SK2URL action string through the device's shell; an element of a layer with an action
// of its own runs that one; a swipe or an arrow key moves the home screen's focus through
// its Confetti window. The point touched becomes the cursor, so a popup menu opens there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/sim/home_screen.h"
#include "platform/sim/journal.h"

namespace zelko::device::home {

enum class TouchTarget { kPanel, kPage, kSoftKey, kElement };

// "panel", "page", "softkey"; nullopt for anything else (an element is named otherwise).
std::optional<TouchTarget> touchTargetOf(std::string_view name);
std::string_view touchTargetName(TouchTarget target);

struct Touch {
  std::string plugin;
  std::string page;
  TouchTarget target = TouchTarget::kPanel;
  std::string action;                 // kElement: the element's action string
  std::optional<platform::Point> at;  // where the screen was touched, when known
};

struct TouchRun {
  std::string action;  // the action string run, as the page holds it
  bool started = false;
};

// Runs the touch: moves the cursor to its point, records a journal event "tap" (plugin,
// page, target, action, x, y) and runs the action. NotFound when the page has no
// such action; Invalid for an action the home screen does not know (":NAME"). A program
// that does not start is no error: `started` is false and the journal has the launch.
platform::Result<TouchRun> runTouch(platform::Platform& platform, platform::sim::Journal& journal,
                                    const Touch& touch);

// Presses an arrow key `steps` times on the home screen's focus window. NotFound when the
// home screen is not running.
platform::Status pressKey(platform::Windows& windows, platform::sim::HomeKey key, int steps = 1);

}  // namespace zelko::device::home
