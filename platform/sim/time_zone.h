// A named time zone of the emulated device, from ICU's copy of the IANA database.
#pragma once

#include <unicode/uversion.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/status.h"

U_NAMESPACE_BEGIN
class BasicTimeZone;
U_NAMESPACE_END

namespace zelko::platform::sim {

// Copies share one immutable ICU zone, so a TimeZone is cheap to pass by value and its
// const methods may be called from any thread.
class TimeZone {
 public:
  // "Europe/Paris", "UTC", "GMT+05:30"... Invalid for a name ICU does not know (ICU
  // itself would quietly hand back "Etc/Unknown", which behaves as UTC).
  static Result<TimeZone> open(std::string_view ianaName);

  // Milliseconds to add to a UTC instant to get the local wall time there.
  int64_t offsetMsAtUtc(int64_t utcMs) const;

  // The UTC instant of a local wall time, in milliseconds since 1970 on both sides.
  // Wall times that a transition skips or repeats are resolved as the phone's
  // TzSpecificLocalTimeToSystemTime resolves them: a skipped time (02:30 on the spring
  // change) is read as standard time, so it lands after the change (03:30 summer time);
  // a repeated time (02:30 on the autumn change) is read with the offset in force
  // before the change, which is summer time: the earlier of the two instants.
  int64_t localToUtcMs(int64_t localMs) const;

  // The zone's ICU identifier, as opened ("Europe/Paris").
  std::string name() const;

 private:
  explicit TimeZone(std::shared_ptr<const icu::BasicTimeZone> zone) : zone_(std::move(zone)) {}
  std::shared_ptr<const icu::BasicTimeZone> zone_;
};

}  // namespace zelko::platform::sim
