// The records a provider keeps under HKEY_CURRENT_USER\Software\Zelko\<store>: the store's
// name (its default, or -reg), the key, and clearing the records of the run before.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace zelko::platform {
class Registry;
}

namespace zelko {

class Settings;

inline constexpr std::string_view kProviderRecordsKey = "Software\\Zelko";

// The value of -reg, or `fallback` when -reg is not given. nullopt (said on stderr) when
// -reg names no key of its own: an empty name, or one with a backslash, would put the
// records, and the deletion that starts each listing, on Software\Zelko itself or on some
// other key below it.
std::optional<std::string> providerStoreName(const Settings& settings, std::string_view fallback);

// "Software\Zelko\<store>", and below it "Software\Zelko\<store>\<sub>".
std::string providerKey(std::string_view store);
std::string providerKey(std::string_view store, std::string_view sub);

// Deletes `key` of HKEY_CURRENT_USER with everything below it. True when the key is gone
// (a missing key is no error); a failure is said on stderr, the program's log, since the
// providers carry on and let the new records replace the old.
bool deleteRecords(platform::Registry& registry, std::string_view key);

// Says on stderr (the program's log) that `what` failed and why; a failure the user is
// not shown is still never dropped unseen.
void logFailure(std::string_view what, const platform::Status& status);

}  // namespace zelko
