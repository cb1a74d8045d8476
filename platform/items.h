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
  DateTime start, end;  // device-local; an all-day item runs from 00:00 to 00:00
  bool allDay = false;
  // Minutes; 0 when adding means "end - start".
  int durationMinutes = 0;
  // Read only: true when recurrenceRule is not empty.
  bool recurring = false;
  // iCalendar RRULE value without the "RRULE:" prefix ("FREQ=WEEKLY;BYDAY=MO"), empty when
  // the item does not recur. The series starts at `start`.
  std::string recurrenceRule;
  // Starts of occurrences removed from the series (device-local). A date at 00:00 also
  // removes a timed occurrence of that day, as an all-day EXDATE does.
  std::vector<DateTime> exceptionDates;

  bool operator==(const Appointment&) const = default;
};

using Item = std::variant<Contact, Appointment>;

inline uint32_t itemOid(const Item& item) {
  return std::visit([](const auto& i) { return i.oid; }, item);
}

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
  // The occurrence of a recurring appointment that starts on the given local day (only
  // the date of `day` counts); nullopt for a day without one, an exception date, a day
  // after the series ended, or an item that does not recur.
  virtual std::optional<Occurrence> occurrenceOn(uint32_t oid, const DateTime& day) = 0;

  // From now on, each change to an item of `folder` by another process posts kItemAdded,
  // kItemDeleted or kItemChanged to `window` with lParam = the folder number: one message
  // of each kind per folder per call that changed the store. The registration is kept in
  // the store until the window or its process is gone. NotFound when the window does not
  // exist.
  virtual Status enableChangeNotifications(ItemFolder folder, WindowHandle window) = 0;

  // Adds the items in one transaction: all of them or, with an error status, none.
  // Invalid names the first bad item (an impossible date, an end before the start, a
  // malformed recurrence rule). Returns the new object ids in the order given; object ids
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
