#include "ZelkoWinToday/engine.h"

#include <string>

#include "common/engine_window.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/items.h"
#include "platform/platform.h"

namespace zelko::engine {
namespace {

using platform::Root;

constexpr ProgramId kProgram = kEngineProgram;

// A widget callback and the value it watches.
struct Watch {
  Root root;
  std::string_view key;
  std::string_view name;
  void (*run)(Widgets&);
};

// The callbacks in the order they are registered. The phone's own shell watched the
// battery twice, running the widget (and its critical action) twice on each change for
// nothing: once is enough.
const Watch kWatches[] = {
    {Root::kLocalMachine, "System\\State\\Battery", "Main", [](Widgets& w) { w.battery(); }},
    {Root::kLocalMachine, "System\\State\\DateTime", "Time", [](Widgets& w) { w.time(); }},
    {Root::kLocalMachine, "System\\State\\Hardware", "WiFi", [](Widgets& w) { w.wifi(); }},
    {Root::kLocalMachine, "System\\State\\Hardware", "Bluetooth", [](Widgets& w) { w.bluetooth(); }},
    {Root::kLocalMachine, "System\\State\\Phone", "Current Operator Name",
     [](Widgets& w) { w.operatorName(); }},
    {Root::kLocalMachine, "System\\State\\Hardware", "Cradled", [](Widgets& w) { w.cradle(); }},
    {Root::kLocalMachine, "System\\State\\Phone", "Status", [](Widgets& w) { w.data(); }},
    {Root::kLocalMachine, "System\\State\\Phone", "Cellular System Available",
     [](Widgets& w) { w.cellular(); }},
    {Root::kLocalMachine, "System\\State\\Phone", "Status", [](Widgets& w) { w.cellular(); }},
    {Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode", [](Widgets& w) { w.networkMode(); }},
    {Root::kCurrentUser, "System\\State\\Messages\\SMS\\Unread", "Count",
     [](Widgets& w) { w.counter(Counter::kSms); }},
    {Root::kCurrentUser, "System\\State\\Phone", "Missed Call Count",
     [](Widgets& w) { w.counter(Counter::kMissedCalls); }},
    {Root::kCurrentUser, "System\\State\\Messages\\TotalEmail\\Unread", "Count",
     [](Widgets& w) { w.counter(Counter::kEmail); }},
    {Root::kCurrentUser, "System\\State\\Messages\\Voicemail\\Unread", "Count",
     [](Widgets& w) { w.counter(Counter::kVoicemail); }},
    {Root::kCurrentUser, "System\\State\\Shell\\Alarms", "Next", [](Widgets& w) { w.alarm(); }},
    {Root::kLocalMachine, "System\\State\\DateTime", "Date", [](Widgets& w) { w.date(); }},
    {Root::kCurrentUser, "System\\State\\Appointments", "Current",
     [](Widgets& w) { w.appointments(); }},
};

// The persistent launches that start the controller.
const platform::ValueRef kLaunchValues[] = {
    {Root::kLocalMachine, std::string(host::kHomeKey), std::string(host::kEnabled)},
    {Root::kLocalMachine, "System\\State\\DateTime", "Time"},
};
const std::string_view kLaunchNames[] = {kHomeScreenLaunch, kMinuteLaunch};

}  // namespace

Engine::Engine(Suite& suite) : suite_(suite), widgets_(suite) {}

Engine::~Engine() { stop(); }

std::optional<int> Engine::start(std::string_view commandLine, int showState) {
  Settings& settings = suite_.settings();
  if (settings.findRunningInstance(kProgram.name)) return 0;
  settings.startUpFromCommandLine(kProgram.name, kProgram.build, showState, commandLine);
  settings.enterHomeScreenMode();

  platform::Windows& windows = suite_.platform().windows();
  if (!windows.registerClass(kEngineWindowClass,
                             [this](const platform::Message& m) { return handleMessage(m); })
           .ok()) {
    return 0;
  }
  auto window = windows.createWindow(kEngineWindowClass, kEngineWindowClass);
  if (!window.ok()) return 0;
  window_ = *window;

  closeCallbacks();
  registerLaunches();
  registerCallbacks();
  fullRefresh();

  // Without the store's change messages the providers still run from the date widget.
  store_ = std::make_unique<OutlookStore>(suite_.outlook());
  store_->open(window_);
  for (platform::ItemFolder folder : {platform::ItemFolder::kCalendar, platform::ItemFolder::kContacts}) {
    platform::Status watched = store_->enableChangeNotifications(folder);
    if (!watched.ok()) {
      suite_.platform().log().failure(
          "no change messages of store folder " + std::to_string(static_cast<int>(folder)), watched);
    }
  }

  if (commandLine != kRestartSwitch) fullRefresh();
  return std::nullopt;
}

void Engine::stop() {
  closeCallbacks();
  if (store_) {
    store_->close();
    store_.reset();
  }
}

int Engine::run(std::string_view commandLine, int showState) {
  if (std::optional<int> early = start(commandLine, showState)) return *early;
  int code = suite_.platform().windows().runMessageLoop();
  stop();
  return code;
}

void Engine::registerLaunches() {
  platform::Notifications& notifications = suite_.platform().notifications();
  platform::Log& log = suite_.platform().log();
  std::string controller = "\"" + suite_.settings().installPath(kControllerFile) + "\"";
  launchesPending_ = false;
  for (size_t i = 0; i < std::size(kLaunchNames); ++i) {
    const std::string name(kLaunchNames[i]);
    // Replaced rather than added: the platform keeps them after the engine ends.
    platform::Status stopped = notifications.stopLaunch(name);
    if (!stopped.ok() && stopped.code() != platform::Status::Code::kNotFound) {
      log.failure("cannot stop the launch " + name, stopped);
    }
    platform::LaunchRegistration launch;
    launch.name = name;
    launch.value = kLaunchValues[i];
    launch.program = controller;
    platform::Status registered = notifications.registerLaunch(launch);
    if (!registered.ok()) {
      // Without them nothing starts the engine again once it ends.
      log.failure("cannot register the launch " + name + " (tried again in a minute)", registered);
      launchesPending_ = true;
    }
  }
  nextLaunchTry_ = suite_.platform().clock().steadyNow() + kLaunchRetry;
}

void Engine::retryLaunches() {
  if (launchesPending_ && suite_.platform().clock().steadyNow() >= nextLaunchTry_) {
    registerLaunches();
  }
}

void Engine::registerCallbacks() {
  platform::Notifications& notifications = suite_.platform().notifications();
  for (size_t i = 0; i < std::size(kWatches); ++i) {
    const Watch& watch = kWatches[i];
    platform::ValueRef value{watch.root, std::string(watch.key), std::string(watch.name)};
    auto handle = notifications.registerCallback(value, [this, run = watch.run] {
      retryLaunches();
      run(widgets_);
    });
    handles_[i] = handle.ok() ? *handle : 0;
    if (handle.ok()) continue;
    // The empty slot leaves the widget to the full refreshes.
    suite_.platform().log().failure(std::string("cannot watch ") + platform::rootShortName(value.root) +
                                        "\\" + value.key + " " + value.name,
                                    handle.status());
  }
}

void Engine::closeCallbacks() {
  for (platform::NotificationHandle& handle : handles_) {
    if (handle) suite_.platform().notifications().close(handle);
    handle = 0;
  }
}

void Engine::fullRefresh() {
  suite_.settings().loadSkinFolders();
  widgets_.time();
  widgets_.battery();
  widgets_.cradle();
  widgets_.data();
  widgets_.networkMode();
  widgets_.cellular();
  widgets_.bluetooth();
  widgets_.wifi();
  widgets_.counter(Counter::kSms);
  widgets_.counter(Counter::kMissedCalls);
  widgets_.counter(Counter::kEmail);
  widgets_.counter(Counter::kVoicemail);
  widgets_.alarm();
  widgets_.date();
  widgets_.appointments();
  widgets_.scheduler();
}

void Engine::reloadSkin() {
  suite_.settings().reloadSkin();
  widgets_.pageDecorations();
  fullRefresh();
}

int64_t Engine::handleMessage(const platform::Message& message) {
  platform::Windows& windows = suite_.platform().windows();
  switch (message.message) {
    case kUpdateMessage:
      reloadSkin();
      break;
    case kStopMessage:
      if (platform::Status destroyed = windows.destroyWindow(window_); !destroyed.ok()) {
        // The engine must end all the same: the controller asked for it.
        suite_.platform().log().failure("cannot destroy the engine window", destroyed);
        windows.postQuit(0);
      }
      break;
    case kRescheduleMessage:
      widgets_.scheduler();
      break;
    case platform::kWmDestroy:
      windows.postQuit(0);
      break;
    case platform::kItemAdded:
    case platform::kItemDeleted:
    case platform::kItemChanged:
      if (message.lParam == static_cast<int>(platform::ItemFolder::kCalendar)) {
        suite_.runInstalledAction("ZelkoCalendar.exe;-max:5 -days:30 -zelkotoday");
      } else if (message.lParam == static_cast<int>(platform::ItemFolder::kContacts)) {
        suite_.runInstalledAction("ZelkoContacts.exe;-zelkotoday");
      }
      break;
  }
  return 0;
}

}  // namespace zelko::engine
