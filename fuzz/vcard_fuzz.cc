// Any bytes must parse or fail with one line of explanation; whatever parses must be
// something the store can keep: UTF-8 texts and real dates.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "device/import_text.h"
#include "device/vcard.h"

namespace {

bool realDate(const std::optional<zelko::platform::DateTime>& date) {
  if (!date) return true;
  zelko::platform::DateTime copy = *date;
  return zelko::platform::normalizeDateTime(copy) && copy == *date && date->hour == 0 && date->minute == 0;
}

bool oneNamedLine(const std::string& message) {
  bool named = message.rfind("line ", 0) == 0 || message.rfind("no vCard", 0) == 0;
  return named && message.find('\n') == std::string::npos && message.find('\r') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto strict = zelko::device::parseVCards(bytes);
  auto parsed = zelko::device::parseVCards(bytes, true);
  if (!strict.ok()) {
    if (!oneNamedLine(strict.status().message())) abort();
  } else if (strict->contacts.empty() || !strict->skipped.empty()) {
    abort();  // a strict read either fails or returns every card
  }
  if (!parsed.ok()) {
    if (!oneNamedLine(parsed.status().message()) || strict.ok()) abort();
    return 0;
  }
  for (const std::string& skipped : parsed->skipped) {
    if (!oneNamedLine(skipped)) abort();
  }
  // Skipping bad cards never loses a good one a strict read would have returned.
  if (strict.ok() && strict->contacts.size() != parsed->contacts.size()) abort();
  for (const auto& card : parsed->contacts) {
    const auto& c = card.contact;
    for (const std::string* text : {&c.firstName, &c.lastName, &c.mobilePhone, &c.homePhone, &c.businessPhone,
                                    &c.categories}) {
      if (!zelko::device::utf8Fault(*text).empty()) abort();
    }
    if (!realDate(c.birthday) || !realDate(c.anniversary)) abort();
  }
  return 0;
}
