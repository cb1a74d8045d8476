// The text-message provider's contact index finds what the store's own name and number
// lookups find, contact for contact, on a store full of near-misses.
#include "ZelkoSms/contact_index.h"

#include <gtest/gtest.h>

#include <random>

#include "common/outlook_store.h"
#include "common/suite.h"
#include "tests/unit/device_fixture.h"

namespace zelko::sms {
namespace {

using platform::Contact;

// Small pools, so that names and numbers repeat across contacts in other cases and
// spellings, and the first contact in the store's order has to win.
const char* const kNames[] = {"Doe", "DOE", "John", "john", "Élodie", "ÉLODIE", "", "Ann Lee", "O'Neil"};
const char* const kNumbers[] = {"", "0612345678", "06 12 34 56 78", "(06) 12-34.56.78",
                                "+33 6 12", "+33612", "-", "0899"};

class ContactIndexTest : public testing::DeviceTest {};

TEST_F(ContactIndexTest, FindsTheSameContactAsTheStoreLookups) {
  std::mt19937 random(7);
  auto pick = [&](const auto& pool) { return std::string(pool[random() % std::size(pool)]); };
  std::vector<platform::NewContact> contacts;
  for (int i = 0; i < 60; ++i) {
    Contact c;
    c.lastName = pick(kNames);
    c.firstName = pick(kNames);
    c.mobilePhone = pick(kNumbers);
    c.homePhone = pick(kNumbers);
    c.businessPhone = pick(kNumbers);
    contacts.push_back({c, ""});
  }
  ASSERT_TRUE(platform().items().addContacts(contacts).ok());

  Suite suite(platform());
  OutlookStore store(suite.outlook(), platform::ItemFolder::kContacts);
  ContactIndex index;
  for (const char* name : kNames) {
    for (const char* second : kNames) index.wantName(name, second);
  }
  for (const char* number : kNumbers) index.wantPhone(number);
  index.read(store);
  auto oid = [](const Contact* c) { return c ? c->oid : 0u; };
  for (const char* name : kNames) {
    for (const char* second : kNames) {
      bool found = store.findContactByName(name, second);
      EXPECT_EQ(oid(index.byName(name, second)), found ? store.record().oid : 0u)
          << "\"" << name << "\", \"" << second << "\"";
    }
  }
  for (const char* number : kNumbers) {
    bool found = store.findContactByPhone(number);
    EXPECT_EQ(oid(index.byPhone(number)), found ? store.record().oid : 0u) << "\"" << number << "\"";
  }
}

}  // namespace
}  // namespace zelko::sms
