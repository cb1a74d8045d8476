// The engine controller: a run-once program without a window that other programs, scripts
// and the engine's two persistent launches start to update, reschedule, start or stop the
// resident engine (ZelkoWinToday). It decides from its command line, from whether the
// engine's window exists and from whether the home screen is on, does at most one thing,
// and ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include "common/engine_window.h"
#include "common/host.h"
#include "platform/windows.h"

namespace zelko {
class Suite;
}

namespace zelko::controller {

// Action strings relative to the installation folder.
inline constexpr std::string_view kStartEngine = "ZelkoWinToday.exe";
// The engine refreshes once instead of twice when the home screen has just come on.
inline constexpr std::string_view kRestartEngine = "ZelkoWinToday.exe;-restart";

// Switching the home screen off and straight back on should not cost the engine (and
// its full start-up); only an off that lasts this long stops it.
inline constexpr std::chrono::seconds kSwitchOffConfirmation{5};

enum class Action {
  kNothing,
  kPostUpdate,
  kPostStop,
  kPostReschedule,
  kStartEngine,
  kRestartEngine,
  // Wait kSwitchOffConfirmation, then stop the engine if the home screen is still off.
  kStopIfStillOff,
};

struct Decision {
  Action action = Action::kNothing;
  int exitCode = 0;
  bool operator==(const Decision&) const = default;
};

// The first row of the command-line table that matches. The launch names are looked for
// anywhere in the command line, the switches must be the whole of it; case matters
// everywhere. Every recognised command line ends with 1, anything else with 0.
Decision decide(std::string_view commandLine, bool engineRunning, host::HomeScreenState home);

// Sleeps for the given time; tests replace it to change the registry meanwhile.
using Pause = std::function<void(std::chrono::milliseconds)>;

// The whole run: the start-up under the controller's name and build number, the look at
// the engine and the home screen, the decision carried out. Returns the exit code.
// Posting to an engine that is closing and failing to start one are silent for the
// user; other failures to post, and a start that fails, go to the log.
int run(Suite& suite, std::string_view commandLine, int showState, const Pause& pause);

}  // namespace zelko::controller
