#include "ZelkoContacts/contacts_program.h"

#include "ZelkoContacts/anniversary_listing.h"
#include "ZelkoContacts/contact_actions.h"
#include "ZelkoContacts/contact_menu.h"
#include "ZelkoContacts/contact_records.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "common/wait_cursor.h"
#include "platform/platform.h"

namespace zelko::contacts {

int run(Suite& suite, std::span<const std::string> args) {
  WaitCursor cursor(suite.platform().ui());
  Settings& settings = suite.settings();
  settings.startUp(kContactsProgram.name, kContactsProgram.build, args);
  std::optional<std::string> named = providerStoreName(suite, kDefaultStore);
  if (!named) return 1;
  const std::string& store = *named;

  if (settings.hasArgument("-action")) {
    // Outside home-screen mode the start-up leaves the suite INI file unread; the menu
    // labels come from it.
    settings.suiteIni().load(suite.platform().files(), settings.suiteIniPath());
    showContactMenu(suite, store, settings.argumentNumber("-action", 0));
    return 0;
  }
  if (settings.hasArgument("-choose")) {
    chooseContact(suite, store);
    return 0;
  }

  bool home = settings.homeScreenMode();
  ListingOptions options;
  options.store = store;
  options.birthdays = home || settings.hasArgument("-birthdays");
  options.anniversaries = home || settings.hasArgument("-anniversaries");
  options.days = settings.argumentNumber("-days", home ? 365 : 0);
  options.max = settings.argumentNumber("-max", 5);
  if (!options.birthdays && !options.anniversaries) {
    // Numbers are read whole: "-phone:12:34" is not cut at its second colon.
    if (std::optional<std::string> number = settings.argumentText("-phone")) {
      placeCall(suite, *number);
      return 1;
    }
    if (std::optional<std::string> number = settings.argumentText("-sms")) {
      openComposer(suite, *number);
      return 1;
    }
    return 0;
  }
  runListing(suite, options);
  return 1;
}

}  // namespace zelko::contacts
