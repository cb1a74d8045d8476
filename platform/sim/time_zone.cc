#include "platform/sim/time_zone.h"

#include <unicode/basictz.h>
#include <unicode/timezone.h>

#include <limits>

namespace zelko::platform::sim {
namespace {

constexpr char16_t kUnknownZone[] = u"Etc/Unknown";

int64_t saturatingSub(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_sub_overflow(a, b, &r)) {
    return b > 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  }
  return r;
}

}  // namespace

Result<TimeZone> TimeZone::open(std::string_view ianaName) {
  const icu::UnicodeString id =
      icu::UnicodeString::fromUTF8(icu::StringPiece(ianaName.data(), ianaName.size()));
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(id));
  if (!zone) return Status::Failed("ICU could not create a time zone");
  icu::UnicodeString resolved;
  zone->getID(resolved);
  if (resolved == icu::UnicodeString(kUnknownZone)) {
    return Status::Invalid("unknown time zone: " + std::string(ianaName));
  }
  // Every zone ICU builds from its data is a BasicTimeZone; the check guards the cast.
  auto* basic = dynamic_cast<icu::BasicTimeZone*>(zone.get());
  if (!basic) {
    return Status::Unsupported("time zone without transition data: " + std::string(ianaName));
  }
  zone.release();
  return TimeZone(std::shared_ptr<const icu::BasicTimeZone>(basic));
}

int64_t TimeZone::offsetMsAtUtc(int64_t utcMs) const {
  int32_t raw = 0;
  int32_t dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone_->getOffset(static_cast<UDate>(utcMs), false, raw, dst, status);
  if (U_FAILURE(status)) return 0;
  return int64_t{raw} + dst;
}

int64_t TimeZone::localToUtcMs(int64_t localMs) const {
  int32_t raw = 0;
  int32_t dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone_->getOffsetFromLocal(static_cast<UDate>(localMs), UCAL_TZ_LOCAL_STANDARD_FORMER,
                            UCAL_TZ_LOCAL_DAYLIGHT_FORMER, raw, dst, status);
  if (U_FAILURE(status)) {
    // Out of ICU's reach: fall back to the zone's standard offset, the same way the
    // device clock treats times beyond the zone's data.
    raw = zone_->getRawOffset();
    dst = 0;
  }
  return saturatingSub(localMs, int64_t{raw} + dst);
}

std::string TimeZone::name() const {
  icu::UnicodeString id;
  zone_->getID(id);
  std::string out;
  id.toUTF8String(out);
  return out;
}

}  // namespace zelko::platform::sim
