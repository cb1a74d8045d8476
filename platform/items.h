// The contacts and calendar store.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/date_time.h"
#include "platform/status.h"
#include "platform/windows.h"

namespace zelko::platform {

enum class ItemFolder : int { kCalendar = 9, kContacts = 10 };

// Messages posted to a window that asked for change notifications; lParam is the folder.
constexpr uint32_t kItemAdded = 0x8105;
constexpr uint32_t kItemDeleted = 0x8106;
constexpr uint32_t kItemChanged = 0x8107;

// Restrictions longer than this many UTF-16 units are refused, as the phone refuses them.
constexpr size_t kMaxRestrictionLength = 255;

struct Contact {
  uint32_t oid = 0;  // ignored when adding
  std::string firstName, lastName;
  std::string mobilePhone, homePhone, businessPhone;
  std::optional<DateTime> birthday, anniversary;  // local dates; only the date part is kept
  std::string categories;
  bool hasPicture = false;  // read only: set by the store

  bool operator==(const Contact&) const = default;
};

// A contact to add, with its picture bytes (empty for none).
struct NewContact {
  Contact contact;
  std::string picture;
};

struct Appointment {
  uint32_t oid = 0;  // ignored when adding
  std::string subject, location, categories;
  // Device-local; an all-day item runs from 00:00 to 00:00. For a recurring item with a
  // timeZone these are its first occurrence moved to the device's zone (when reading: its
  // zone as it is now). When adding, a start that the device's autumn change of clocks
  // repeats is read as the earlier of the two instants.
  DateTime start, end;
  bool allDay = false;
  // Minutes; 0 when adding means "end - start".
  int durationMinutes = 0;
  // Read only: true when the item recurs (a rule, or extra dates).
  bool recurring = false;
  // iCalendar RRULE value without the "RRULE:" prefix ("FREQ=WEEKLY;BYDAY=MO"), empty when
  // the item has no rule. The series starts at `start`; an UNTIL without "Z" is a wall
  // time of the series' zone.
  std::string recurrenceRule;
  // The zone a recurring item lives in: an IANA name ("Australia/Sydney"), or empty for a
  // series that follows the device's zone (floating times, and every all-day series).
  // Occurrences are expanded in this zone and moved to the device's zone when listed or
  // restricted, so a meeting at 09:30 on weekdays in Sydney keeps its days and its hour
  // there whatever the device's zone. Kept empty for an item that does not recur.
  std::string timeZone;
  // Starts of occurrences removed from the series, wall times of the series' zone. A date
  // at 00:00 also removes a timed occurrence of that day, as an all-day EXDATE does.
  std::vector<DateTime> exceptionDates;
  // Starts of occurrences added to the series besides the rule's (iCalendar's RDATE), wall
  // times of the series' zone. An item with extra dates and no rule recurs too: at its
  // start and at each of these.
  std::vector<DateTime> recurrenceDates;

  bool operator==(const Appointment&) const = default;
};

using Item = std::variant<Contact, Appointment>;

inline uint32_t itemOid(const Item& item) {
  return std::visit([](const auto& i) { return i.oid; }, item);
}

// The most days occurrencesOn looks at in one call.
constexpr int kMaxOccurrenceDays = 3660;

struct Occurrence {
  uint32_t oid = 0;
  DateTime start, end;
};

// The items that matched a restriction when find() ran, in the folder's order (the order
// they were added). Later changes to the store do not show up in a walk already started.
class ItemWalk {
 public:
  ItemWalk() = default;
  ItemWalk(const ItemWalk&) = delete;
  ItemWalk& operator=(const ItemWalk&) = delete;
  virtual ~ItemWalk() = default;
  // The next matching item, or nullopt at the end.
  virtual std::optional<Item> next() = 0;
};

// Every call may run on any thread, one at a time per object.
class Items {
 public:
  Items() = default;
  Items(const Items&) = delete;
  Items& operator=(const Items&) = delete;
  virtual ~Items() = default;

  // Opens the store; IoError when it cannot be reached. The other calls open it too, so
  // this only tells a program early that the store is there.
  virtual Status logOn() = 0;

  virtual size_t count(ItemFolder folder) = 0;
  // Starts a walk over the items of `folder` that match `restriction`. An empty
  // restriction matches every item. Invalid for a malformed restriction, an unknown
  // property or one longer than kMaxRestrictionLength UTF-16 units.
  //
  // The language: `[Property] op constant`, op one of = <> < <= > >=, joined with AND
  // and OR (AND binds tighter), parentheses. Constants are texts in double quotes (a
  // doubled quote stands for one) or integers. Texts compare without regard to case,
  // telephone numbers without regard to blanks, dashes, dots and parentheses; dates are
  // written in the device locale's short date format or as MM/dd/yyyy and compare with
  // the calendar day of the property; flags and durations compare as numbers. An item
  // that lacks the property (an empty text, no birthday, a contact asked for [Subject])
  // never matches the comparison, whatever the operator.
  virtual Result<std::unique_ptr<ItemWalk>> find(ItemFolder folder,
                                                 std::string_view restriction) = 0;
  // Any item by its object id; NotFound when there is none.
  virtual Result<Item> item(uint32_t oid) = 0;
  // NotFound when there is none or it is not of that kind.
  virtual Result<Contact> contact(uint32_t oid) = 0;
  virtual Result<Appointment> appointment(uint32_t oid) = 0;
  // The contact's picture bytes as added; NotFound when it has none.
  virtual Result<std::string> contactPicture(uint32_t oid) = 0;
  // The occurrence of a recurring appointment that starts on the given device-local day
  // (only the date of `day` counts), its start and end in device time; nullopt for a day
  // without one, an exception date, a day after the series ended, or an item that does
  // not recur. A series with a time zone is expanded there: its occurrence on a device day
  // may be that of another day in its own zone.
  virtual std::optional<Occurrence> occurrenceOn(uint32_t oid, const DateTime& day) = 0;
  // occurrenceOn for each of `oids` on each of `days` device-local days from `firstDay`,
  // each series read and expanded once: the occurrences there are, in the order of `oids`
  // and, for each, of the days. IoError when the store cannot be read; Invalid for more
  // than kMaxOccurrenceDays days.
  virtual Result<std::vector<Occurrence>> occurrencesOn(const std::vector<uint32_t>& oids,
                                                        const DateTime& firstDay, int days) = 0;

  // From now on, each change to an item of `folder` by another process posts kItemAdded,
  // kItemDeleted or kItemChanged to `window` with lParam = the folder number: one message
  // of each kind per folder per call that changed the store. The registration is kept in
  // the store until the window or its process is gone. NotFound when the window does not
  // exist.
  virtual Status enableChangeNotifications(ItemFolder folder, WindowHandle window) = 0;

  // Adds the items in one transaction: all of them or, with an error status, none.
  // Invalid names the first bad item (an impossible date, an end before the start, a
  // malformed recurrence rule or one whose COUNT or INTERVAL is out of range, an unknown
  // time zone). Returns the new object ids in the order given; object ids
  // are never reused on a device.
  virtual Result<std::vector<uint32_t>> addContacts(const std::vector<NewContact>& contacts) = 0;
  virtual Result<std::vector<uint32_t>> addAppointments(
      const std::vector<Appointment>& appointments) = 0;
  Result<uint32_t> addContact(const Contact& contact, std::string_view picture = {});
  Result<uint32_t> addAppointment(const Appointment& appointment);

  // Replace every field of the item with that oid (the picture stays unless replaced with
  // setContactPicture; empty bytes remove it). NotFound when there is no such item.
  virtual Status updateContact(const Contact& contact) = 0;
  virtual Status updateAppointment(const Appointment& appointment) = 0;
  virtual Status setContactPicture(uint32_t oid, std::string_view picture) = 0;
  // NotFound when there is no such item.
  virtual Status removeItem(uint32_t oid) = 0;
};

inline Result<uint32_t> Items::addContact(const Contact& contact, std::string_view picture) {
  auto oids = addContacts({NewContact{contact, std::string(picture)}});
  if (!oids.ok()) return oids.status();
  return oids->front();
}

inline Result<uint32_t> Items::addAppointment(const Appointment& appointment) {
  auto oids = addAppointments({appointment});
  if (!oids.ok()) return oids.status();
  return oids->front();
}

}  // namespace zelko::platform
