#include "ZelkoContacts/anniversary_display.h"

#include <array>
#include <cstdio>
#include <string>

#include "ZelkoContacts/contact_records.h"
#include "common/host.h"
#include "common/suite.h"

namespace zelko::contacts {
namespace {

using host::kPage1;
using host::kPage5;
using platform::Root;

constexpr std::array<std::string_view, 5> kSlots = {"A", "1", "2", "3", "4"};

std::string sysImage(Suite& suite, std::string_view file) {
  const Settings& s = suite.settings();
  return suite.values().resolveImage(s.skinFolder(WidgetKind::kSys), file,
                                     s.defaultFolder(WidgetKind::kSys));
}

struct Slot {
  std::string icon;
  std::string label;
};

Slot slotOfRecord(Suite& suite, int k) {
  std::string key = anniversaryKey(kDefaultStore, k);
  auto text = [&](std::string_view name) { return suite.regReadText(Root::kCurrentUser, key, name); };
  Slot slot;
  slot.icon = text("picture");
  if (slot.icon.empty()) slot.icon = sysImage(suite, "unknown.png");
  // The age is a DWORD; an age that is not above 0 (born this year) shows no number.
  int age = static_cast<int>(suite.regReadNumber(Root::kCurrentUser, key, "age"));
  slot.label = text("date");
  if (age > 0) slot.label += " : " + std::to_string(age);
  slot.label += "\n" + text("lastName") + " " + text("firstName");
  return slot;
}

}  // namespace

void blankDisplay(Suite& suite) {
  ValueStore& values = suite.values();
  UpdateBracket bracket(values);
  std::string blank = sysImage(suite, "null.png");
  for (std::string_view slot : kSlots) values.writeText(kPage5, "Icon" + std::string(slot), blank);
  for (std::string_view slot : kSlots) values.writeText(kPage5, "Label" + std::string(slot), "");
}

void composeDisplay(Suite& suite) {
  ValueStore& values = suite.values();
  UpdateBracket bracket(values);
  std::string note = values.readText(kPage5, "Private");
  Slot slotA;
  size_t first = 0;
  if (!note.empty()) {
    slotA = {values.readText(kPage5, "PrivatePNG"), note};
    values.writeText(kPage5, "LabelA", slotA.label);
    values.writeText(kPage5, "IconA", slotA.icon);
    first = 1;
  }
  for (size_t slot = first; slot < kSlots.size(); ++slot) {
    Slot shown = slotOfRecord(suite, static_cast<int>(slot - first + 1));
    values.writeText(kPage5, "Icon" + std::string(kSlots[slot]), shown.icon);
    values.writeText(kPage5, "Label" + std::string(kSlots[slot]), shown.label);
    if (slot == 0) slotA = std::move(shown);
  }
  values.writeText(kPage1, "EventPNG", slotA.icon);
  values.writeText(kPage1, "Event", slotA.label);
  uint32_t total = suite.regReadNumber(Root::kCurrentUser, anniversariesKey(kDefaultStore), "total");
  if (total < 1 && note.empty()) {
    values.writeText(kPage5, "LabelA",
                     suite.settings().suiteIni().getText("ZelkoToday", "NOEVT", "No events"));
  }
}

}  // namespace zelko::contacts
