// The contacts and calendar store.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

struct Contact {
  uint32_t oid = 0;
  std::string firstName, lastName;
  std::string mobilePhone, homePhone, businessPhone;
  std::optional<DateTime> birthday, anniversary;  // local dates, time 00:00
  std::string categories;
  bool hasPicture = false;
};

struct Appointment {
  uint32_t oid = 0;
  std::string subject, location, categories;
  DateTime start, end;  // device-local
  bool allDay = false;
  int durationMinutes = 0;
  bool recurring = false;
  std::string recurrenceRule;  // iCalendar RRULE text, empty when not recurring
};

struct Occurrence {
  uint32_t oid = 0;
  DateTime start, end;
};

// A walk over the items matching a restriction, in the folder's order.
class ItemWalk {
 public:
  ItemWalk() = default;
  ItemWalk(const ItemWalk&) = delete;
  ItemWalk& operator=(const ItemWalk&) = delete;
  virtual ~ItemWalk() = default;
  // The next matching item's oid, or nullopt at the end.
  virtual std::optional<uint32_t> next() = 0;
};

class Items {
 public:
  Items() = default;
  Items(const Items&) = delete;
  Items& operator=(const Items&) = delete;
  virtual ~Items() = default;

  virtual size_t count(ItemFolder folder) = 0;
  // Starts a walk; Invalid for a malformed restriction (at most 255 UTF-16 units).
  // An empty restriction matches every item.
  virtual Result<std::unique_ptr<ItemWalk>> find(ItemFolder folder,
                                                 std::string_view restriction) = 0;
  virtual Result<Contact> contact(uint32_t oid) = 0;
  virtual Result<Appointment> appointment(uint32_t oid) = 0;
  // The contact's picture bytes; NotFound when it has none.
  virtual Result<std::string> contactPicture(uint32_t oid) = 0;
  // The occurrence of a recurring appointment on the given local day, if it has one.
  virtual std::optional<Occurrence> occurrenceOn(uint32_t oid, const DateTime& day) = 0;
  // From now on, each change to an item of `folder` by another process posts kItemAdded,
  // kItemDeleted or kItemChanged to `window` with lParam = the folder number.
  virtual Status enableChangeNotifications(ItemFolder folder, WindowHandle window) = 0;

  virtual Result<uint32_t> addContact(const Contact& contact, std::string_view picture) = 0;
  virtual Result<uint32_t> addAppointment(const Appointment& appointment) = 0;
  virtual Status removeItem(uint32_t oid) = 0;
};

}  // namespace zelko::platform
