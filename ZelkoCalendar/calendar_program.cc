#include "ZelkoCalendar/calendar_program.h"

#include "ZelkoCalendar/appointment_display.h"
#include "ZelkoCalendar/appointment_listing.h"
#include "common/exclusive_run.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "common/wait_cursor.h"
#include "platform/platform.h"

namespace zelko::calendar {
namespace {

// The listing and the page it draws, one run at a time.
void listAndShow(Suite& suite, std::string_view store, int max, int days) {
  ExclusiveRun turn(suite.platform(), "ZelkoCalendar listing");
  runListing(suite, store, max, days);
  composeDisplay(suite);
}

}  // namespace

int run(Suite& suite, std::span<const std::string> args) {
  WaitCursor cursor(suite.platform().ui());
  Settings& settings = suite.settings();
  settings.startUp(kCalendarProgram.name, kCalendarProgram.build, args);
  std::optional<std::string> named = providerStoreName(suite, kDefaultStore);
  if (!named) return 1;
  const std::string& store = *named;

  if (settings.hasArgument("-titanium")) {
    listAndShow(suite, store, 5, 30);
    return 1;
  }
  if (settings.hasArgument("-dateview")) {
    openDayView(suite, settings.argumentNumber("-dateview", 0));
    return 1;
  }
  listAndShow(suite, store, settings.argumentNumber("-max", 5), settings.argumentNumber("-days", 5));
  return 0;
}

}  // namespace zelko::calendar
