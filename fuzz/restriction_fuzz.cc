// Reads arbitrary bytes as a restriction: nothing may crash or hang, a text over the
// length limit is always refused, and a restriction that compiles can be tested against
// any item. The first byte picks the locale's date picture, so that every date reader runs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/sim/restriction.h"
#include "platform/text.h"

namespace {

using namespace zelko::platform;

void check(bool condition) {
  if (!condition) std::abort();
}

DateTime at(int y, int m, int d) {
  DateTime t;
  t.year = y;
  t.month = m;
  t.day = d;
  normalizeDateTime(t);
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static constexpr std::string_view kPictures[] = {"M/d/yyyy", "dd/MM/yyyy", "dd.MM.yyyy",
                                                   "yyyy-MM-dd", "d/M/yy", "yyyy'x'M''d"};
  std::string_view picture = kPictures[data[0] % std::size(kPictures)];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  sim::parseDateWithPicture(picture, text);
  auto r = sim::Restriction::parse(text, picture);
  if (utf16Length(text) > kMaxRestrictionLength) check(!r.ok());
  if (!r.ok()) {
    check(r.status().code() == Status::Code::kInvalid);
    return 0;
  }
  Contact c;
  c.firstName = "Ann";
  c.mobilePhone = "+33 6 12";
  c.birthday = at(1980, 2, 29);
  Appointment a;
  a.subject = "x";
  a.start = at(2024, 1, 1);
  a.end = at(2024, 1, 2);
  a.recurring = true;
  r->matches(c);
  r->matches(a);
  check(r->matches(Contact{}) || !r->matchesEverything());
  return 0;
}
