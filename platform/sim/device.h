// The emulated device: a folder that holds the stores, the phone's file system and the
// sockets of live windows. One Device object per process opens it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/sim/journal.h"
#include "platform/status.h"

namespace zelko::platform::sim {

class Journal;
class DeviceClock;
class DeviceSettings;
class UiAnswers;
class UiHost;
class SimConnections;

struct DeviceOptions {
  std::string screen = "480x800";
  std::string locale = "en-US";
  std::string timezone = "UTC";
  int64_t journalLimit = kDefaultJournalLimit;  // the newest events the journal keeps
};

class Device {
 public:
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  virtual ~Device() = default;

  // Lays out a fresh device in `dir` (created when missing): the stores, the file system
  // with its special folders, run/. Invalid when `dir` already holds a device or the
  // options are bad (unknown time zone or locale, malformed screen size).
  static Status create(const std::filesystem::path& dir, const DeviceOptions& options);
  // Opens an existing device; NotFound when `dir` holds none.
  static Result<std::unique_ptr<Device>> open(const std::filesystem::path& dir);
  // Opens the device of a program of the suite (see locate) with the command line and the
  // program's own path handed over by the device's shell.
  static Result<std::unique_ptr<Device>> openForProgram(int argc, char** argv);
  // The device of the running program: $ZELKO_DEVICE, else the device whose fs/ holds the
  // program's own file. nullopt when neither applies.
  static std::optional<std::filesystem::path> locate();

  virtual const std::filesystem::path& dir() const = 0;
  // The services, as the programs see them.
  virtual Platform& platform() = 0;
  // What only the device tool and the tests reach.
  virtual Journal& journal() = 0;
  virtual DeviceClock& deviceClock() = 0;
  virtual DeviceSettings& settings() = 0;
  // The answers waiting for the device's dialogs.
  virtual UiAnswers& uiAnswers() = 0;
  // The channel to the home screen's browser, which hosts dialogs while it is connected.
  virtual UiHost& uiHost() = 0;
  // The connection manager: online or offline, the proxy, the dial-up connections.
  virtual SimConnections& connections() = 0;
  // Runs `body` with the registry changes it makes in one transaction: all of them, or
  // none when `body` or a change fails or the store is full. Watchers hear after the commit.
  virtual Status registryTransaction(const std::function<Status()>& body) = 0;
  // The clock's heartbeat: writes System\State\DateTime "Time" for the current minute of
  // the device clock (and "Date" when the day changed) through the notifying setter, then
  // starts the timed starts that fell due. The background service calls it every minute;
  // setting the clock calls it at once. The error of a value that could not be written or
  // of the timed starts that could not be taken; a start that fails is only logged.
  virtual Status tick() = 0;

 protected:
  Device() = default;
};

// The main of a suite program: opens the program's device and runs `body` on its
// platform, returning its exit code. Without a device it says so on stderr, prefixed by
// `programName`, and ends with 2, a code no program of the suite ends with by itself.
int runProgram(int argc, char** argv, std::string_view programName,
               const std::function<int(Platform&)>& body);

}  // namespace zelko::platform::sim
