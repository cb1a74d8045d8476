#include "ZelkoSms/listing.h"

#include "ZelkoSms/log.h"
#include "ZelkoSms/records.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::sms {
namespace {

using platform::Root;

// Delivery time in device-local time: the locale's short date, one blank, its time
// without seconds.
std::string localDateTime(platform::Platform& p, const platform::DateTime& utc) {
  platform::DateTime local = p.clock().toLocal(utc);
  platform::Locale& locale = p.locale();
  return locale.formatDate(locale.shortDatePicture(), local) + " " +
         locale.formatTime(locale.shortTimePicture(), local);
}

void writeRecord(Suite& suite, const std::string& key, const platform::InboxMessage& m) {
  auto text = [&](std::string_view name, const std::string& value) {
    suite.regWriteText(Root::kCurrentUser, key, name, value);
  };
  if (!m.sender.empty()) text(kSender, m.sender);
  if (!m.read) suite.regWriteNumber(Root::kCurrentUser, key, kUnread, 1);
  if (!m.subject.empty()) text(kSubject, m.subject);
  text(kDateTime, localDateTime(suite.platform(), m.delivered));
  text(kEntryId, std::to_string(m.id));
}

}  // namespace

bool listMessages(Suite& suite, std::string_view storeName, int max, bool onlyUnread) {
  auto inbox = suite.platform().messaging().inbox(platform::kSmsStore);
  if (!inbox.ok()) {
    logFailure("cannot list the texts", inbox.status());
    return false;
  }
  std::string key = storeKey(storeName);
  platform::Status cleared = suite.platform().registry().deleteKey(Root::kCurrentUser, key);
  if (cleared.code() != platform::Status::Code::kNotFound) logFailure("cannot clear " + key, cleared);
  int i = 0;
  for (const platform::InboxMessage& m : *inbox) {
    if (!onlyUnread || !m.read) writeRecord(suite, recordKey(storeName, ++i), m);
    if (i >= max) break;
  }
  suite.regWriteNumber(Root::kCurrentUser, key, kTotal, static_cast<uint32_t>(i));
  return true;
}

}  // namespace zelko::sms
