// The date widget (date texts, the user's notes, the saint's day, the daily weather
// start) and the appointments widget, which only starts the appointments provider.
#include <cstdio>
#include <optional>

#include "ZelkoWinToday/day_files.h"
#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::engine {
namespace {

using host::kCondensedPage;
using host::kPage1;
using host::kPage2;
using host::kPage5;

constexpr std::string_view kNotesFile = "Private.txt";

}  // namespace

void Widgets::date() {
  ValueStore& values = suite_.values();
  const platform::DateTime today = suite_.platform().clock().localNow();
  const std::string key = dayKey(today);
  bool saintFound = false;
  {
    UpdateBracket bracket(values);
    std::string fullDate = formatDate(iniText("ZelkoToday", "fullDate", "dddd dd MMMM"), today);
    std::string userDate = formatDate(iniText("ZelkoToday", "userDate", "dddd dd MMM"), today);
    const std::pair<std::string_view, std::string> texts[] = {
        {"Date0", formatDate(iniText("ZelkoToday", "smallDate", "ddd dd MMM"), today)},
        {"Date", formatDate(iniText("ZelkoToday", "mediumDate", "dddd dd MMM"), today)},
        {"Date1", fullDate},
        {"DateUser", userDate},
    };
    for (const auto& [name, text] : texts) {
      values.writeText(kCondensedPage, name, text);
      values.writeText(kPage1, name, text);
    }
    values.writeText(kPage2, "Date2", fullDate);
    values.writeText(kPage2, "DateUser2", userDate);
    for (std::string_view page : {host::kPage1, host::kPage2, host::kPage3, host::kPage4, kPage5}) {
      values.writeText(page, "Today", fullDate);
    }

    platform::Files& files = suite_.platform().files();
    std::optional<std::string> notes;
    if (auto text = files.readText(suite_.settings().installPath(kNotesFile)); text.ok()) {
      notes = notesForDay(*text, key);
    }
    std::string notesImage = image(WidgetKind::kSys, notes ? "Private.png" : "null.png");
    values.writeText(kPage5, "Private", notes.value_or(""));
    values.writeText(kPage5, "PrivatePNG", notesImage);
    values.writeText(kPage5, "LabelA", notes.value_or(""));
    values.writeText(kPage5, "IconA", notesImage);

    char saintFile[96];
    std::snprintf(saintFile, sizeof saintFile, "Ephemeride%04d.%s", today.year,
                  suite_.settings().lang().c_str());
    std::string saint;
    if (auto text = files.readText(values.resolveImage("lang", saintFile)); text.ok()) {
      std::optional<std::string> line = saintForDay(*text, key);
      saintFound = line.has_value();
      saint = line.value_or("");
      values.writeText(kPage1, "Saint", saint);
      values.writeText(kPage1, "DateSaint", key);
    } else {
      values.writeText(kPage1, "Saint", "");
      values.writeText(kPage1, "DateSaint", "");
    }
    values.writeText(kPage5, "HeaderText", saint);
  }

  // The weather provider slides its forecast on by a day, once a day.
  if (saintFound && iniNumber("ZelkoToday", "Glissade", 1) == 1 &&
      values.readText(kPage2, "Glissade") != key) {
    values.writeText(kPage2, "Glissade", key);
    suite_.runInstalledAction("ZelkoMeteo.exe;-glissade -zelkotoday");
  }
  suite_.runInstalledAction("ZelkoContacts.exe;-zelkotoday");
  suite_.runInstalledAction("ZelkoCalendar.exe;-max:5 -days:30 -zelkotoday");
  notify(kNotifyDate);
}

void Widgets::appointments() {
  suite_.runInstalledAction("ZelkoCalendar.exe;-titanium -zelkotoday");
  notify(kNotifyCalendar);
}

}  // namespace zelko::engine
