#include "ZelkoToday/controller.h"

#include <string>

#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::controller {
namespace {

using host::HomeScreenState;

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

Decision recognised(Action action) { return {action, 1}; }

// Posts to whatever engine window exists now. Looking it up at the moment of posting
// matters after the switch-off pause: the engine seen before may have ended and another
// started meanwhile.
void postToEngine(platform::Platform& p, uint32_t message) {
  platform::WindowHandle engine = p.windows().findWindow(kEngineWindowClass);
  if (engine == 0) return;
  platform::Status posted = p.windows().postMessage({engine, message, 0, 0});
  // An engine that closed meanwhile has nothing left to be told.
  if (!posted.ok() && posted.code() != platform::Status::Code::kNotFound) {
    p.log().failure("cannot post message " + std::to_string(message) + " to the engine", posted);
  }
}

}  // namespace

Decision decide(std::string_view commandLine, bool engineRunning, HomeScreenState home) {
  const bool on = home == HomeScreenState::kOn;
  const bool off = home == HomeScreenState::kOff;
  if (contains(commandLine, kMinuteLaunch)) {
    return recognised(!engineRunning && on ? Action::kStartEngine : Action::kNothing);
  }
  if (contains(commandLine, kHomeScreenLaunch)) {
    if (!engineRunning && on) return recognised(Action::kRestartEngine);
    if (engineRunning && off) return recognised(Action::kStopIfStillOff);
    return recognised(Action::kNothing);
  }
  if (commandLine == "-runAt") {
    return recognised(engineRunning && on ? Action::kPostReschedule : Action::kNothing);
  }
  if (commandLine == "-update") {
    if (!on) return recognised(Action::kNothing);
    return recognised(engineRunning ? Action::kPostUpdate : Action::kStartEngine);
  }
  if (commandLine == "-stop") {
    return recognised(engineRunning ? Action::kPostStop : Action::kNothing);
  }
  return {Action::kNothing, 0};
}

int run(Suite& suite, std::string_view commandLine, int showState, const Pause& pause) {
  Settings& settings = suite.settings();
  settings.startUpFromCommandLine(kControllerProgram.name, kControllerProgram.build, showState,
                                  commandLine);
  platform::Platform& p = suite.platform();
  const bool engineRunning = p.windows().findWindow(kEngineWindowClass) != 0;
  const Decision d =
      decide(settings.rawCommandLine(), engineRunning, host::homeScreenState(p.registry()));
  switch (d.action) {
    case Action::kNothing:
      break;
    case Action::kPostUpdate:
      postToEngine(p, kUpdateMessage);
      break;
    case Action::kPostStop:
      postToEngine(p, kStopMessage);
      break;
    case Action::kPostReschedule:
      postToEngine(p, kRescheduleMessage);
      break;
    case Action::kStartEngine:
      suite.runInstalledAction(kStartEngine);
      break;
    case Action::kRestartEngine:
      suite.runInstalledAction(kRestartEngine);
      break;
    case Action::kStopIfStillOff:
      pause(kSwitchOffConfirmation);
      if (host::homeScreenState(p.registry()) == HomeScreenState::kOff) {
        postToEngine(p, kStopMessage);
      }
      break;
  }
  return d.exitCode;
}

}  // namespace zelko::controller
