#include "ZelkoSms/records.h"

#include <charconv>

#include "common/suite.h"

namespace zelko::sms {

using platform::Root;

std::string storeKey(std::string_view storeName) {
  return std::string(kBuildNumbersKey) + "\\" + std::string(storeName);
}

std::string recordKey(std::string_view storeName, int n) {
  return storeKey(storeName) + "\\Sms" + std::to_string(n);
}

bool isDialable(std::string_view text) {
  bool digit = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (std::string_view("+*#-./() ").find(c) == std::string_view::npos) {
      return false;
    }
  }
  return digit;
}

const std::string& MessageRecord::callNumber() const {
  if (isDialable(sender)) return sender;
  return mobilePhone.empty() ? homePhone : mobilePhone;
}

MessageRecord readRecord(Suite& suite, std::string_view storeName, int n) {
  std::string key = recordKey(storeName, n);
  auto text = [&](std::string_view name) { return suite.regReadText(Root::kCurrentUser, key, name); };
  MessageRecord r;
  r.sender = text(kSender);
  r.subject = text(kSubject);
  r.unread = suite.regReadNumber(Root::kCurrentUser, key, kUnread) == 1;
  r.mobilePhone = text(kMobilePhone);
  r.homePhone = text(kHomePhone);
  r.businessPhone = text(kBusinessPhone);
  r.entryId = parseEntryId(text(kEntryId));
  return r;
}

std::optional<uint64_t> parseEntryId(std::string_view text) {
  uint64_t id = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return id;
}

}  // namespace zelko::sms
