#include "ZelkoCalendar/appointment_display.h"


#include "ZelkoCalendar/appointment_listing.h"
#include "common/host.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "platform/date_time.h"
#include "platform/platform.h"

namespace zelko::calendar {
namespace {

using host::kPage1;
using host::kPage3;
using platform::DateTime;
using platform::Root;

constexpr int kSlots = 5;
using platform::kDayMs;
constexpr std::string_view kNextAppointmentKey = "System\\State\\Appointments\\HomeScreen";

std::string trimmed(const std::string& text) {
  constexpr const char* kBlanks = " \r\n\t\f";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

SlotRecord readSlot(Suite& suite, int k) {
  std::string key = recordKey(kDefaultStore, k);
  auto text = [&](std::string_view name) { return suite.regReadText(Root::kCurrentUser, key, name); };
  auto number = [&](std::string_view name) { return suite.regReadNumber(Root::kCurrentUser, key, name); };
  SlotRecord r;
  r.allDay = number("allday");
  r.duration = number("duration");
  r.date = text("date");
  r.endDate = text("enddate");
  r.dateView = text("dateview");
  r.endDateView = text("enddateview");
  r.start = text("start");
  r.subject = text("subject");
  r.categories = text("categories");
  return r;
}

std::string image(Suite& suite, WidgetKind kind, std::string_view file) {
  const Settings& s = suite.settings();
  return suite.values().resolveImage(s.skinFolder(kind), file, s.defaultFolder(kind));
}

// The day of the appointment (today's for one that began today or earlier), the blank
// image without a subject, the image of its first category when the skin has one, and
// calendar.png when the skin lacks the image chosen.
std::string slotImage(Suite& suite, const SlotRecord& r, const std::string& todayKey) {
  auto& files = suite.platform().files();
  bool later = r.dateView.size() == 8 && r.dateView > todayKey;
  std::string day = (later ? r.dateView : todayKey).substr(6, 2);
  std::string chosen = image(suite, WidgetKind::kCal, day + ".png");
  if (r.subject.empty()) chosen = image(suite, WidgetKind::kSys, "null.png");
  std::string category = r.categories.substr(0, r.categories.find(','));
  // A category is a name, not a path into some other folder.
  if (!category.empty() && category.find_first_of("\\/") == std::string::npos) {
    std::string categoryImage = image(suite, WidgetKind::kCal, category + ".png");
    if (files.exists(categoryImage)) chosen = categoryImage;
  }
  if (!files.exists(chosen)) chosen = image(suite, WidgetKind::kSys, "calendar.png");
  return chosen;
}

std::string oneLine(std::string label) {
  for (char& c : label) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return label;
}

}  // namespace

std::string durationText(uint32_t minutes, const DurationUnits& units) {
  std::string text;
  auto part = [&](uint32_t n, const std::string& unit) {
    if (n > 0) text += std::to_string(n) + unit;
  };
  part(minutes / 1440, units.day);
  part(minutes % 1440 / 60, units.hour);
  part(minutes % 60, units.minute);
  return text;
}

std::string slotLabel(const SlotRecord& r, const std::string& todayKey, const DurationUnits& units) {
  if (r.subject.empty()) return {};
  std::string datePart = r.dateView != todayKey ? r.date + " " : "";
  if (r.allDay) return trimmed(datePart + "\n" + r.subject);
  datePart += r.start;
  std::string separator = r.endDateView > r.dateView ? " > " : " -";
  std::string endPart =
      r.endDateView != todayKey && r.endDateView != r.dateView ? r.endDate + " " : "";
  std::string duration = r.duration >= 1 ? durationText(r.duration, units) : "";
  return trimmed(datePart + separator + endPart + " " + duration + "\n" + r.subject);
}

void composeDisplay(Suite& suite) {
  if (!suite.settings().homeScreenMode()) return;
  ValueStore& values = suite.values();
  UpdateBracket bracket(values);
  values.writeText(kPage1, "Rdv", "");
  values.writeText(kPage1, "Rdv2", "");
  values.writeText(kPage3, "HeaderText", "");
  IniDocument& ini = suite.settings().suiteIni();
  DurationUnits units{ini.getText("ZelkoToday", "CALDAY", "d"), ini.getText("ZelkoToday", "CALHOUR", "h"),
                      ini.getText("ZelkoToday", "CALMINUTE", "")};
  DateTime today = suite.platform().clock().localNow();
  std::string todayKey = suite.platform().locale().formatDate("yyyyMMdd", today);
  for (int k = 1; k <= kSlots; ++k) {
    SlotRecord record = readSlot(suite, k);
    std::string label = slotLabel(record, todayKey, units);
    std::string icon = slotImage(suite, record, todayKey);
    std::string slot = k == 1 ? "A" : std::to_string(k - 1);
    values.writeText(kPage3, "Icon" + slot, icon);
    values.writeText(kPage3, "Label" + slot, label);
    if (k <= 2) {
      std::string line = k == 1 ? "Rdv" : "Rdv2";
      values.writeText(kPage1, line, oneLine(label));
      values.writeText(kPage1, line + "PNG", icon);
    }
  }
  uint32_t total = suite.regReadNumber(Root::kCurrentUser, providerKey(kDefaultStore), "total");
  if (total > 0) {
    values.writeText(kPage3, "HeaderText", std::to_string(static_cast<int32_t>(total)));
    return;
  }
  // Nothing listed: the phone's own next-appointment text, and the two days it covers.
  auto& locale = suite.platform().locale();
  DateTime tomorrow = platform::fromEpochMs(platform::toEpochMs(today) + kDayMs);
  values.writeText(kPage3, "LabelA",
                   suite.regReadText(Root::kCurrentUser, kNextAppointmentKey, "Subject") + "\n" +
                       locale.formatDate(locale.shortDatePicture(), today) + " - " +
                       locale.formatDate(locale.shortDatePicture(), tomorrow));
}

void openDayView(Suite& suite, int n) {
  std::string day = suite.regReadText(Root::kCurrentUser, recordKey(kDefaultStore, n), "dateview");
  if (day.empty()) return;
  suite.runAction("%WINDOWS%\\poutlook.exe;calendar -d" + day);
}

}  // namespace zelko::calendar
