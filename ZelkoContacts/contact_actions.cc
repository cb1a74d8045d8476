#include "ZelkoContacts/contact_actions.h"

#include "ZelkoContacts/contact_records.h"
#include "common/exact_action.h"
#include "common/outlook_store.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::contacts {

void chooseContact(Suite& suite, std::string_view store) {
  std::string key = chooseKey(store);
  deleteRecords(suite, key);
  std::optional<platform::ContactChoice> choice = suite.platform().ui().chooseContact();
  if (!choice) return;
  OutlookStore contacts(suite.outlook(), platform::ItemFolder::kContacts);
  if (contacts.fetch(choice->oid) &&
      std::holds_alternative<platform::Contact>(*contacts.lastItem())) {
    const ContactRecord& c = contacts.record();
    RecordWriter record(suite, key);
    record.textIfAny("choosePhone", choice->number);
    record.textIfAny("lastName", c.lastName);
    record.textIfAny("firstName", c.firstName);
    record.textIfAny("businessPhone", c.businessPhone);
    record.textIfAny("homePhone", c.homePhone);
    record.textIfAny("mobilePhone", c.mobilePhone);
    record.textIfAny("categories", c.categories);
    record.number("oid", c.oid);
    if (std::optional<std::string> picture = saveContactPicture(suite, contacts)) {
      record.text("picture", *picture);
    }
  }
  contacts.close();
}

void placeCall(Suite& suite, std::string_view number) {
  platform::Status called = suite.platform().messaging().placeCall(number);
  if (!called.ok()) suite.platform().log().failure("calling " + std::string(number), called);
}

void openComposer(Suite& suite, std::string_view number) {
  std::optional<std::string> action =
      exactAction("%WINDOWS%\\tmail.exe", {{"-Service"}, {"SMS", true}, {"-to"}, {std::string(number), true}},
                  suite.settings().specialFolders());
  if (!action) {
    suite.platform().log().failure(
        "opening the composer",
        platform::Status::Invalid("no action carries the number " + std::string(number)));
    return;
  }
  suite.runAction(*action);
}

}  // namespace zelko::contacts
