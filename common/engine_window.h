// How the resident engine (ZelkoWinToday) and its controller (ZelkoToday) meet: the
// engine's window, the messages it accepts, and the persistent launches through which
// the platform starts the controller.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/windows.h"

namespace zelko {

// The engine's top-level window; the engine and the controller share the program name.
inline constexpr std::string_view kEngineWindowClass = "ZelkoToday";

// Messages the engine's window accepts.
inline constexpr uint32_t kUpdateMessage = platform::kWmUser + 102;      // 1126: skin reload, refresh
inline constexpr uint32_t kStopMessage = platform::kWmUser + 103;        // 1127
inline constexpr uint32_t kRescheduleMessage = platform::kWmUser + 133;  // 1157

// The names of the engine's persistent launches, which the platform puts on the
// controller's command line: the home screen's Enabled changed, and the once-a-minute
// watchdog.
inline constexpr std::string_view kHomeScreenLaunch = "ZelkoTitanium";
inline constexpr std::string_view kMinuteLaunch = "ZelkoWinToday";

// The controller's file in the installation folder.
inline constexpr std::string_view kControllerFile = "ZelkoToday.exe";

}  // namespace zelko
