// The birthdays provider's actions on one contact: the contact chooser whose pick is kept
// in the registry, a phone call, and the phone's message composer.
#pragma once

#include <string_view>

namespace zelko {
class Suite;
}

namespace zelko::contacts {

// Lets the person pick a contact's number and keeps the pick under
// Software\Zelko\<store>\Choose, which is deleted first: a cancelled chooser, or a pick
// that is not a contact of the store, leaves it deleted.
void chooseContact(Suite& suite, std::string_view store);

// Places a call to `number` through the phone library.
void placeCall(Suite& suite, std::string_view number);

// Opens the message composer (tmail.exe) for a text to `number`.
void openComposer(Suite& suite, std::string_view number);

}  // namespace zelko::contacts
