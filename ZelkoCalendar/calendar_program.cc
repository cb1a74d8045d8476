#include "ZelkoCalendar/calendar_program.h"

#include "ZelkoCalendar/appointment_display.h"
#include "ZelkoCalendar/appointment_listing.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "common/wait_cursor.h"
#include "platform/platform.h"

namespace zelko::calendar {

int run(Suite& suite, std::span<const std::string> args) {
  WaitCursor cursor(suite.platform().ui());
  Settings& settings = suite.settings();
  settings.startUp(kCalendarProgram.name, kCalendarProgram.build, args);
  std::string store = providerStoreName(settings, kDefaultStore);

  if (settings.hasArgument("-titanium")) {
    runListing(suite, store, 5, 30);
    composeDisplay(suite);
    return 1;
  }
  if (settings.hasArgument("-dateview")) {
    openDayView(suite, settings.argumentNumber("-dateview", 0));
    return 1;
  }
  runListing(suite, store, settings.argumentNumber("-max", 5), settings.argumentNumber("-days", 5));
  composeDisplay(suite);
  return 0;
}

}  // namespace zelko::calendar
