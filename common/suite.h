// The one object of a suite program that owns its settings record and reaches the
// platform. A program's main creates it, runs the start-up through settings(), and hands
// it to the parts that need the value store or action strings; a test makes a fresh one.
#pragma once

#include <string>
#include <string_view>

#include "common/actions.h"
#include "common/outlook_store.h"
#include "common/settings.h"
#include "common/value_store.h"

namespace zelko::platform {
class Platform;
}

namespace zelko {

class Suite {
 public:
  explicit Suite(platform::Platform& platform);
  Suite(const Suite&) = delete;
  Suite& operator=(const Suite&) = delete;

  platform::Platform& platform() { return platform_; }
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  ValueStore& values() { return values_; }
  // The program's one connection to the contacts and calendar store.
  OutlookSession& outlook() { return outlook_; }

  // The registry helpers on this program's registry.
  std::string regReadText(platform::Root root, std::string_view key, std::string_view name);
  uint32_t regReadNumber(platform::Root root, std::string_view key, std::string_view name);
  bool regWriteText(platform::Root root, std::string_view key, std::string_view name,
                    std::string_view text);
  bool regWriteNumber(platform::Root root, std::string_view key, std::string_view name,
                      uint32_t number);
  std::optional<platform::DateTime> regReadTime(platform::Root root, std::string_view key,
                                                std::string_view name, bool toLocal);

  // Path macros with this program's special folders (see actions.h).
  std::string expandMacros(std::string_view text) const;
  // Runs an action string as it is written, only its macros expanded. An action that
  // does not start is silent for the user and goes to the log.
  ActionRun runAction(std::string_view action, bool wait = false,
                      std::chrono::milliseconds waitLimit = kNoWaitLimit);
  // Runs an action string whose program part is relative to the installation folder
  // ("ZelkoCalendar.exe;-max:5"), the way the suite starts its own programs.
  ActionRun runInstalledAction(std::string_view action, bool wait = false,
                               std::chrono::milliseconds waitLimit = kNoWaitLimit);

 private:
  platform::Platform& platform_;
  Settings settings_;
  ValueStore values_;
  OutlookSession outlook_;
};

}  // namespace zelko
