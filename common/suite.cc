#include "common/suite.h"

#include "platform/platform.h"
#include "platform/text.h"

namespace zelko {

Suite::Suite(platform::Platform& platform)
    : platform_(platform),
      settings_(platform),
      values_(platform.registry(), platform.files(), platform.log(), settings_),
      outlook_(platform) {}

std::string Suite::regReadText(platform::Root root, std::string_view key, std::string_view name) {
  return zelko::regReadText(platform_.registry(), root, key, name);
}

uint32_t Suite::regReadNumber(platform::Root root, std::string_view key, std::string_view name) {
  return zelko::regReadNumber(platform_.registry(), root, key, name);
}

bool Suite::regWriteText(platform::Root root, std::string_view key, std::string_view name,
                         std::string_view text) {
  return zelko::regWriteText(platform_.registry(), root, key, name, text);
}

bool Suite::regWriteNumber(platform::Root root, std::string_view key, std::string_view name,
                           uint32_t number) {
  return zelko::regWriteNumber(platform_.registry(), root, key, name, number);
}

std::optional<platform::DateTime> Suite::regReadTime(platform::Root root, std::string_view key,
                                                     std::string_view name, bool toLocal) {
  return zelko::regReadTime(platform_.registry(), platform_.clock(), root, key, name, toLocal);
}

std::string Suite::expandMacros(std::string_view text) const {
  return zelko::expandMacros(text, settings_.specialFolders());
}

ActionRun Suite::runAction(std::string_view action, bool wait,
                           std::chrono::milliseconds waitLimit) {
  ActionRun run = zelko::runAction(platform_.shell(), platform_.ui(), settings_.specialFolders(),
                                   action, wait, waitLimit);
  // An empty action (a value left blank) is meant to run nothing.
  if (!run.started && !action.empty()) {
    platform_.log().failure(
        "cannot run " + std::string(platform::utf16Prefix(action, kMaxExpandedUnits)), run.failure);
  }
  return run;
}

ActionRun Suite::runInstalledAction(std::string_view action, bool wait,
                                    std::chrono::milliseconds waitLimit) {
  return runAction(settings_.installPath(action), wait, waitLimit);
}

}  // namespace zelko
