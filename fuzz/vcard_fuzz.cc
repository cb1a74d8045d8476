// Any bytes must parse or fail with one line of explanation; whatever parses must be
// something the store can keep: UTF-8 texts and real dates.
#include <unicode/ustring.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "device/vcard.h"

namespace {

bool isUtf8(const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
  return status != U_INVALID_CHAR_FOUND && status != U_ILLEGAL_ARGUMENT_ERROR;
}

bool realDate(const std::optional<zelko::platform::DateTime>& date) {
  if (!date) return true;
  zelko::platform::DateTime copy = *date;
  return zelko::platform::normalizeDateTime(copy) && copy == *date && date->hour == 0 && date->minute == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto parsed = zelko::device::parseVCards(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!parsed.ok()) {
    const std::string& message = parsed.status().message();
    bool named = message.rfind("line ", 0) == 0 || message.rfind("no vCard", 0) == 0;
    if (!named || message.find('\n') != std::string::npos || message.find('\r') != std::string::npos) abort();
    return 0;
  }
  if (parsed->empty()) abort();  // an empty result must have been an error
  for (const auto& card : *parsed) {
    const auto& c = card.contact;
    for (const std::string* text : {&c.firstName, &c.lastName, &c.mobilePhone, &c.homePhone, &c.businessPhone,
                                    &c.categories}) {
      if (!isUtf8(*text)) abort();
    }
    if (!realDate(c.birthday) || !realDate(c.anniversary)) abort();
  }
  return 0;
}
