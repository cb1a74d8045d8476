// Contact matching of the listed records (see listing.h).
#include "ZelkoSms/contact_index.h"
#include "ZelkoSms/listing.h"
#include "ZelkoSms/pictures.h"
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
struct SenderLookup {
  std::string_view first, second;
};

SenderLookup lookupOf(std::string_view sender) {
  size_t comma = sender.find(',');
  SenderLookup l{sender.substr(0, comma), {}};
  if (comma != std::string_view::npos) {
    std::string_view rest = sender.substr(comma + 1);
    l.second = trimmed(rest.substr(0, rest.find(',')));
  }
  return l;
}

const platform::Contact* findSender(const ContactIndex& contacts, std::string_view sender) {
  SenderLookup l = lookupOf(sender);
  if (const platform::Contact* c = contacts.byName(l.first, l.second)) return c;
  return contacts.byPhone(l.first);
}

// The senders of the records, in order.
std::vector<std::string> readSenders(Suite& suite) {
  uint32_t total = suite.regReadNumber(Root::kCurrentUser, storeKey(kDefaultStoreName), kTotal);
  std::vector<std::string> senders;
  for (uint32_t i = 1; i <= total; ++i) {
    std::string record = recordKey(kDefaultStoreName, static_cast<int>(i));
    std::string sender = suite.regReadText(Root::kCurrentUser, record, kSender);
    // Records are numbered without gaps: a total that runs past them was not written by a
    // listing, and reading on would only find nothing, maybe for a very long time.
    if (sender.empty() && !suite.platform().registry().keyExists(Root::kCurrentUser, record)) break;
    senders.push_back(std::move(sender));
  }
  return senders;
}

void writeContact(Suite& suite, PictureFolder& pictures, const std::string& key,
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
  if (const auto& picture = pictures.pictureOf(c)) text(kPicture, *picture);
}

}  // namespace

void matchContacts(Suite& suite) {
  std::vector<std::string> senders = readSenders(suite);
  if (senders.empty()) return;
  ContactIndex contacts;
  for (const std::string& sender : senders) {
    SenderLookup l = lookupOf(sender);
    contacts.wantName(l.first, l.second);
    contacts.wantPhone(l.first);
  }
  OutlookStore store(suite.outlook(), platform::ItemFolder::kContacts);
  contacts.read(store);
  PictureFolder pictures(suite, store);
  for (size_t i = 0; i < senders.size(); ++i) {
    if (const platform::Contact* c = findSender(contacts, senders[i])) {
      writeContact(suite, pictures, recordKey(kDefaultStoreName, static_cast<int>(i + 1)), *c);
    }
  }
  store.close();
}

}  // namespace zelko::sms
