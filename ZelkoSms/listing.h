// The listing: the newest texts of the phone's inbox as numbered records, each with the
// message's entry id, and then the senders looked up among the contacts.
#pragma once

#include <string_view>

namespace zelko {
class Suite;
}

namespace zelko::sms {

// Replaces the records under `storeName` with the newest texts of the store "SMS", newest
// first: only unread ones when `onlyUnread`, at most `max` of them (the first text is
// always looked at, so a max below 1 lists at most one). When the inbox cannot be read,
// the records of the previous run stay and false is returned.
bool listMessages(Suite& suite, std::string_view storeName, int max, bool onlyUnread);

// Looks the sender of each record under the store name "Sms" up among the contacts, by
// "Last, First", by one name, then by number, and adds the first matching contact's
// fields and picture to the record. The contacts are read once, whatever the number of
// records.
void matchContacts(Suite& suite);

}  // namespace zelko::sms
