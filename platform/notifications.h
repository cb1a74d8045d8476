// Change notifications on registry values: callbacks inside a running program, and
// persistent launches that start a program whenever a value changes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/status.h"

namespace zelko::platform {

struct ValueRef {
  Root root = Root::kLocalMachine;
  std::string key;
  std::string name;
};

using NotificationHandle = uint64_t;  // 0 is never a valid handle

// Called after the watched value changed (set to other data, or deleted). The callback
// re-reads whatever state it needs.
using ChangeCallback = std::function<void()>;

struct LaunchRegistration {
  std::string name;     // the notification's name, put on the started program's command line
  ValueRef value;
  std::string program;  // as registered, possibly quoted ("\"\\Program Files\\...\\x.exe\"")
  std::string params;   // put before the name on the command line; usually empty
};

class Notifications {
 public:
  Notifications() = default;
  Notifications(const Notifications&) = delete;
  Notifications& operator=(const Notifications&) = delete;
  virtual ~Notifications() = default;

  // Watches one value. The callback runs on this process's message loop (Windows::
  // runMessageLoop / pumpMessages), never on another thread, once per change, in the order
  // of the changes. A value registered twice calls both callbacks. The registration ends
  // with close() or when the process ends.
  virtual Result<NotificationHandle> registerCallback(const ValueRef& value,
                                                      ChangeCallback callback) = 0;
  virtual void close(NotificationHandle handle) = 0;

  // Registers a persistent launch: every later change of the value starts `program` with
  // the notification's name as its command line (after `params`, when there are any), whether or not the registering program
  // still runs. A registration of the same name (without regard to case) is replaced.
  virtual Status registerLaunch(const LaunchRegistration& launch) = 0;
  // Removes the persistent launch of that name; NotFound when there is none.
  virtual Status stopLaunch(std::string_view name) = 0;
  virtual std::vector<LaunchRegistration> launches() = 0;
};

}  // namespace zelko::platform
