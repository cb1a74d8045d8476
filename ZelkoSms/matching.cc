// Contact matching of the listed records (see listing.h).
#include <cstdio>
#include <optional>

#include "ZelkoSms/contact_index.h"
#include "ZelkoSms/listing.h"
#include "ZelkoSms/log.h"
#include "ZelkoSms/records.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::sms {
namespace {

using platform::Root;

constexpr std::string_view kTrimSet = " \r\n\t\f";

std::string_view trimmed(std::string_view text) {
  size_t begin = text.find_first_not_of(kTrimSet);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(kTrimSet) - begin + 1);
}

// "Doe, John" is looked up as last name Doe and first name John; a sender without a comma
// by either name alone; then, when no name matched, the sender up to its first comma as a
// number.
const platform::Contact* findSender(const ContactIndex& contacts, std::string_view sender) {
  size_t comma = sender.find(',');
  std::string_view first = sender.substr(0, comma);
  std::string_view second;
  if (comma != std::string_view::npos) {
    std::string_view rest = sender.substr(comma + 1);
    second = trimmed(rest.substr(0, rest.find(',')));
  }
  if (const platform::Contact* c = contacts.byName(first, second)) return c;
  return contacts.byPhone(first);
}

std::string picturePath(const std::string& folder, const char* format, uint32_t oid) {
  char name[32];
  std::snprintf(name, sizeof name, format, oid);
  return folder + name;
}

void writeContact(Suite& suite, OutlookStore& store, const std::string& key,
                  const platform::Contact& c) {
  auto text = [&](std::string_view name, const std::string& value) {
    if (!value.empty()) suite.regWriteText(Root::kCurrentUser, key, name, value);
  };
  text("lastName", c.lastName);
  text("firstName", c.firstName);
  text(kBusinessPhone, c.businessPhone);
  text(kHomePhone, c.homePhone);
  text(kMobilePhone, c.mobilePhone);
  text("categories", c.categories);
  suite.regWriteNumber(Root::kCurrentUser, key, "oid", c.oid);
  // Pictures are named after the object id in hexadecimal; a decimal-named one is left
  // from an older scheme.
  platform::Files& files = suite.platform().files();
  const std::string& folder = suite.settings().specialFolders().myPictures;
  platform::Status removed = files.removeFile(picturePath(folder, "\\%u.jpg", c.oid));
  if (removed.code() != platform::Status::Code::kNotFound) logFailure("cannot remove a picture", removed);
  std::string path = picturePath(folder, "\\%08x.jpg", c.oid);
  if (store.fetch(c.oid) && store.saveContactPicture(path)) text(kPicture, path);
}

}  // namespace

void matchContacts(Suite& suite) {
  std::string key = storeKey(kDefaultStoreName);
  uint32_t total = suite.regReadNumber(Root::kCurrentUser, key, kTotal);
  if (total == 0) return;
  OutlookStore store(suite.outlook(), platform::ItemFolder::kContacts);
  ContactIndex contacts(store);
  for (uint32_t i = 1; i <= total; ++i) {
    std::string record = recordKey(kDefaultStoreName, static_cast<int>(i));
    std::string sender = suite.regReadText(Root::kCurrentUser, record, kSender);
    // Records are numbered without gaps: a total that runs past them was not written by a
    // listing, and reading on would only find nothing, maybe for a very long time.
    if (sender.empty() && !suite.platform().registry().keyExists(Root::kCurrentUser, record)) break;
    if (const platform::Contact* c = findSender(contacts, sender)) writeContact(suite, store, record, *c);
  }
  store.close();
}

}  // namespace zelko::sms
