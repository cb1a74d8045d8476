// The background services of a device. `zelko-device up` starts each one in a process of
// its own (`zelko-device service NAME`), `zelko-device down` stops them all. A service
// holds a lock under run/ while it runs: that lock, not a file that may be stale, tells
// whether it runs and which process it is, and no second copy of a service can start.
#pragma once

#include <csignal>
#include <filesystem>
#include <optional>

#include "device/cli.h"

namespace zelko::device {

struct Service {
  const char* name;
  const char* summary;  // one line for `up --help`
  // Runs the service on the context's device until `stop` turns non-zero (SIGTERM or
  // SIGINT); returns the process's exit code. Its stdout and stderr are run/service.log.
  int (*run)(Context& context, const volatile std::sig_atomic_t& stop);
  // Whether the service is ready for others (its windows made, say); `up` returns only
  // then. Null when running is enough.
  bool (*ready)(Context& context);
};

// Every service `up` starts, in the order it starts them; ends with a null name.
extern const Service kServices[];

// The pid of the process that runs service `name` on the device in `dir`; nullopt when
// none does.
std::optional<int> runningService(const std::filesystem::path& dir, const char* name);

// Starts each service that does not run yet, under a lock so that several `up` at once
// start each service once. Throws Failure when one does not come up; the services
// started before it keep running. Returns how many it started.
int startServices(Context& context);

// Stops every service of the device in `dir` (SIGTERM, then SIGKILL after 5 seconds).
// Reads nothing but run/, so that it works on a device whose stores are damaged or
// locked. Returns how many it stopped.
int stopServices(const std::filesystem::path& dir);

// The body of `zelko-device service NAME`.
int runService(Context& context, const std::string& name);

}  // namespace zelko::device
