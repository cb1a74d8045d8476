#include "platform/sim/items_store.h"

#include <cstdlib>

#include "platform/date_time.h"
#include "platform/sim/items_recurrence.h"
#include "platform/sim/restriction.h"

namespace zelko::platform::sim {
namespace {

class SnapshotWalk final : public ItemWalk {
 public:
  explicit SnapshotWalk(std::vector<Item> items) : items_(std::move(items)) {}
  std::optional<Item> next() override {
    if (next_ >= items_.size()) return std::nullopt;
    return std::move(items_[next_++]);
  }

 private:
  std::vector<Item> items_;
  size_t next_ = 0;
};

// Contact dates are kept as day numbers: a birthday has no time of day.
std::optional<int64_t> storedDay(const std::optional<DateTime>& d) {
  if (!d) return std::nullopt;
  return dayNumber(*d);
}

std::optional<DateTime> dayFromStore(Statement& q, int col) {
  if (q.columnIsNull(col)) return std::nullopt;
  return fromEpochMs(q.columnInt(col) * kDayMs);
}

Statement& bindOptional(Statement& q, int index, const std::optional<int64_t>& v) {
  return v ? q.bind(index, *v) : q.bindNull(index);
}

std::string joinTimes(const std::vector<DateTime>& times) {
  std::string out;
  for (const DateTime& t : times) {
    if (!out.empty()) out += ' ';
    out += std::to_string(toEpochMs(t));
  }
  return out;
}

std::vector<DateTime> splitTimes(const std::string& text) {
  std::vector<DateTime> out;
  const char* p = text.c_str();
  while (*p) {
    char* end = nullptr;
    long long ms = std::strtoll(p, &end, 10);
    if (end == p) break;
    out.push_back(fromEpochMs(ms));
    p = end;
  }
  return out;
}

bool validDate(std::optional<DateTime> d) { return !d || normalizeDateTime(*d); }

Status checkContact(const Contact& c, size_t index) {
  if (!validDate(c.birthday) || !validDate(c.anniversary)) {
    return Status::Invalid("contact " + std::to_string(index + 1) + ": impossible date");
  }
  return Status::Ok();
}

bool recurs(const Appointment& a) { return !a.recurrenceRule.empty() || !a.recurrenceDates.empty(); }

Status checkAppointment(const Appointment& a, size_t index) {
  std::string which = "appointment " + std::to_string(index + 1) + ": ";
  DateTime start = a.start, end = a.end;
  if (!normalizeDateTime(start) || !normalizeDateTime(end)) {
    return Status::Invalid(which + "impossible start or end");
  }
  if (toEpochMs(end) < toEpochMs(start)) return Status::Invalid(which + "ends before it starts");
  if (a.durationMinutes < 0) return Status::Invalid(which + "negative duration");
  for (const auto* dates : {&a.exceptionDates, &a.recurrenceDates}) {
    for (DateTime x : *dates) {
      if (!normalizeDateTime(x)) return Status::Invalid(which + "impossible exception or extra date");
    }
  }
  if (!a.recurrenceRule.empty()) {
    Status s = checkRecurrenceRule(a.recurrenceRule);
    if (!s.ok()) return Status::Invalid(which + s.message());
  }
  if (recurs(a) && !a.timeZone.empty() && !TimeZone::open(a.timeZone).ok()) {
    return Status::Invalid(which + "unknown time zone " + a.timeZone);
  }
  return Status::Ok();
}

Contact readContact(Statement& q) {
  Contact c;
  c.oid = static_cast<uint32_t>(q.columnInt(0));
  c.firstName = q.columnText(1);
  c.lastName = q.columnText(2);
  c.mobilePhone = q.columnText(3);
  c.homePhone = q.columnText(4);
  c.businessPhone = q.columnText(5);
  c.birthday = dayFromStore(q, 6);
  c.anniversary = dayFromStore(q, 7);
  c.categories = q.columnText(8);
  c.hasPicture = q.columnInt(9) != 0;
  return c;
}

Appointment readAppointment(Statement& q) {
  Appointment a;
  a.oid = static_cast<uint32_t>(q.columnInt(0));
  a.subject = q.columnText(1);
  a.location = q.columnText(2);
  a.categories = q.columnText(3);
  a.start = fromEpochMs(q.columnInt(4));
  a.end = fromEpochMs(q.columnInt(5));
  a.allDay = q.columnInt(6) != 0;
  a.durationMinutes = static_cast<int>(q.columnInt(7));
  a.recurrenceRule = q.columnText(8);
  a.exceptionDates = splitTimes(q.columnText(9));
  a.timeZone = q.columnText(10);
  a.recurrenceDates = splitTimes(q.columnText(11));
  a.recurring = recurs(a);
  return a;
}

Status writePicture(Database& db, uint32_t oid, std::string_view picture) {
  Statement& q = db.prepare("UPDATE contacts SET picture = ? WHERE oid = ?");
  if (picture.empty()) {
    q.bindNull(1);
  } else {
    q.bindBlob(1, picture);
  }
  Status w = q.bind(2, static_cast<int64_t>(oid)).run();
  if (w.ok() && db.changes() == 0) w = Status::NotFound("no contact " + std::to_string(oid));
  return w;
}

constexpr const char* kContactColumns =
    "SELECT oid, first, last, mobile, home, business, birthday, anniversary, categories,"
    " picture IS NOT NULL FROM contacts";
constexpr const char* kAppointmentColumns =
    "SELECT oid, subject, location, categories, start, finish, allday, duration, rrule,"
    " exdates, tz, rdates FROM appointments";

// Stores made before appointments kept their own zone and extra dates get the columns,
// empty: their series follow the device's zone, as they did.
Status upgradeSchema(Database& db) {
  bool hasZone = false;
  Status read;
  {
    auto guard = db.lock();
    Statement& q = db.prepare("SELECT 1 FROM pragma_table_info('appointments') WHERE name = 'tz'");
    hasZone = q.step();
    read = q.status();
    q.reset();
  }
  if (!read.ok()) return read;
  if (hasZone) return Status::Ok();
  return db.write([&] {
    return db.exec(
        "ALTER TABLE appointments ADD COLUMN tz TEXT NOT NULL DEFAULT '';"
        "ALTER TABLE appointments ADD COLUMN rdates TEXT NOT NULL DEFAULT '';");
  });
}

}  // namespace

SimItems::SimItems(std::filesystem::path pimPath, Database& registry, Windows& windows,
                   Locale& locale, Clock& clock, ProcessId writer)
    : pimPath_(std::move(pimPath)),
      registry_(registry),
      windows_(windows),
      locale_(locale),
      clock_(clock),
      writer_(writer) {}

Status SimItems::createSchema(Database& db) {
  // AUTOINCREMENT keeps object ids from being reused after a delete: a provider's record
  // or a picture file named after a deleted contact must never point at a new one.
  return db.write([&] {
    return db.exec(
        "CREATE TABLE IF NOT EXISTS items(oid INTEGER PRIMARY KEY AUTOINCREMENT,"
        " folder INTEGER NOT NULL);"
        "CREATE TABLE IF NOT EXISTS contacts(oid INTEGER PRIMARY KEY, first TEXT NOT NULL,"
        " last TEXT NOT NULL, mobile TEXT NOT NULL, home TEXT NOT NULL, business TEXT NOT NULL,"
        " birthday INTEGER, anniversary INTEGER, categories TEXT NOT NULL, picture BLOB);"
        "CREATE TABLE IF NOT EXISTS appointments(oid INTEGER PRIMARY KEY, subject TEXT NOT NULL,"
        " location TEXT NOT NULL, categories TEXT NOT NULL, start INTEGER NOT NULL,"
        " finish INTEGER NOT NULL, allday INTEGER NOT NULL, duration INTEGER NOT NULL,"
        " rrule TEXT NOT NULL, exdates TEXT NOT NULL, tz TEXT NOT NULL DEFAULT '',"
        " rdates TEXT NOT NULL DEFAULT '');"
        "CREATE TABLE IF NOT EXISTS change_windows(folder INTEGER NOT NULL,"
        " hwnd INTEGER NOT NULL, pid INTEGER NOT NULL, start INTEGER NOT NULL,"
        " PRIMARY KEY(folder, hwnd));");
  });
}

Result<Database*> SimItems::db() {
  std::lock_guard guard(openMutex_);
  if (db_) return db_.get();
  // Made by init only: a store that went missing or empty is said so, never made anew
  // empty in its place with every contact gone.
  auto opened = Database::openStore(pimPath_, {"items", "contacts", "appointments", "change_windows"});
  if (!opened.ok()) return opened.status();
  Status s = upgradeSchema(**opened);
  if (!s.ok()) return s;
  db_ = std::move(*opened);
  return db_.get();
}

Status SimItems::logOn() {
  auto d = db();
  return d.ok() ? Status::Ok() : d.status();
}

size_t SimItems::count(ItemFolder folder) {
  auto d = db();
  if (!d.ok()) return 0;
  auto guard = (*d)->lock();
  Statement& q = (*d)->prepare("SELECT count(*) FROM items WHERE folder = ?");
  q.bind(1, static_cast<int64_t>(folder));
  size_t n = q.step() ? static_cast<size_t>(q.columnInt(0)) : 0;
  q.reset();
  return n;
}

Result<std::vector<Item>> SimItems::readItems(Database& db, ItemFolder folder, int64_t oid,
                                              const std::function<bool(Item&)>& keep) {
  bool contacts = folder == ItemFolder::kContacts;
  std::string sql = contacts ? kContactColumns : kAppointmentColumns;
  sql += oid < 0 ? " ORDER BY oid" : " WHERE oid = ?";
  auto guard = db.lock();
  Statement& q = db.prepare(sql);
  if (oid >= 0) q.bind(1, oid);
  std::vector<Item> out;
  while (q.step()) {
    Item item = contacts ? Item(readContact(q)) : Item(readAppointment(q));
    if (!keep || keep(item)) out.push_back(std::move(item));
  }
  bool ok = q.ok();
  q.reset();
  if (!ok) return Status::IoError("cannot read " + pimPath_.string());
  return out;
}

Result<std::unique_ptr<ItemWalk>> SimItems::find(ItemFolder folder, std::string_view restriction) {
  auto r = Restriction::parse(restriction, locale_.shortDatePicture());
  if (!r.ok()) return r.status();
  auto d = db();
  if (!d.ok()) return d.status();
  // The matches are taken at once rather than read row by row as the caller walks: a
  // resident program holding a read transaction open would stop the store's checkpoints.
  // Each row is matched as it is read, so only the matches are ever held.
  auto matches = readItems(**d, folder, -1, [&](Item& item) {
    toDeviceTime(item);
    return std::visit([&](const auto& i) { return r->matches(i); }, item);
  });
  if (!matches.ok()) return matches.status();
  return std::unique_ptr<ItemWalk>(new SnapshotWalk(std::move(*matches)));
}

std::optional<ItemFolder> SimItems::folderOf(Database& db, uint32_t oid) {
  auto guard = db.lock();
  Statement& q = db.prepare("SELECT folder FROM items WHERE oid = ?");
  q.bind(1, static_cast<int64_t>(oid));
  std::optional<ItemFolder> folder;
  if (q.step()) folder = static_cast<ItemFolder>(q.columnInt(0));
  q.reset();
  return folder;
}

Result<Item> SimItems::item(uint32_t oid) {
  auto d = db();
  if (!d.ok()) return d.status();
  auto folder = folderOf(**d, oid);
  if (!folder) return Status::NotFound("no item " + std::to_string(oid));
  auto found = readItems(**d, *folder, oid);
  if (!found.ok()) return found.status();
  if (found->empty()) return Status::NotFound("no item " + std::to_string(oid));
  toDeviceTime(found->front());
  return std::move(found->front());
}

void SimItems::toDeviceTime(Item& item) {
  auto* a = std::get_if<Appointment>(&item);
  if (!a || a->timeZone.empty()) return;
  auto clock = SeriesClock::open(a->timeZone, clock_);
  if (!clock.ok()) return;  // checked when stored: only a damaged store gets here
  a->start = clock->toDevice(a->start);
  a->end = clock->toDevice(a->end);
}

Result<Contact> SimItems::contact(uint32_t oid) {
  auto i = item(oid);
  if (!i.ok()) return i.status();
  if (auto* c = std::get_if<Contact>(&*i)) return std::move(*c);
  return Status::NotFound("item " + std::to_string(oid) + " is not a contact");
}

Result<Appointment> SimItems::appointment(uint32_t oid) {
  auto i = item(oid);
  if (!i.ok()) return i.status();
  if (auto* a = std::get_if<Appointment>(&*i)) return std::move(*a);
  return Status::NotFound("item " + std::to_string(oid) + " is not an appointment");
}

Result<std::string> SimItems::contactPicture(uint32_t oid) {
  auto d = db();
  if (!d.ok()) return d.status();
  auto guard = (*d)->lock();
  Statement& q = (*d)->prepare("SELECT picture FROM contacts WHERE oid = ? AND picture IS NOT NULL");
  q.bind(1, static_cast<int64_t>(oid));
  std::optional<std::string> bytes;
  if (q.step()) bytes = q.columnBlob(0);
  q.reset();
  if (!bytes) return Status::NotFound("contact " + std::to_string(oid) + " has no picture");
  return std::move(*bytes);
}

std::optional<Occurrence> SimItems::occurrenceOn(uint32_t oid, const DateTime& day) {
  auto found = occurrencesOn({oid}, day, 1);
  if (!found.ok() || found->empty()) return std::nullopt;
  return found->front();
}

Result<std::vector<Occurrence>> SimItems::occurrencesOn(const std::vector<uint32_t>& oids,
                                                        const DateTime& firstDay, int days) {
  if (days > kMaxOccurrenceDays) {
    return Status::Invalid("occurrences of " + std::to_string(days) + " days asked for at once");
  }
  auto d = db();
  if (!d.ok()) return d.status();
  std::vector<Occurrence> out;
  // Only appointments have a row in their table, so a contact's oid reads nothing.
  Status s = (*d)->read([&] {
    for (uint32_t oid : oids) {
      auto found = readItems(**d, ItemFolder::kCalendar, oid);
      if (!found.ok()) return found.status();
      if (found->empty()) continue;
      const auto& series = std::get<Appointment>(found->front());
      auto clock = SeriesClock::open(series.timeZone, clock_);
      if (!clock.ok()) continue;  // checked when stored: only a damaged store gets here
      std::vector<Occurrence> mine = occurrencesOnDays(series, firstDay, days, *clock);
      out.insert(out.end(), mine.begin(), mine.end());
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  return out;
}

Result<uint32_t> SimItems::newOid(Database& db, ItemFolder folder) {
  Status s = db.prepare("INSERT INTO items(folder) VALUES(?)").bind(1, static_cast<int64_t>(folder)).run();
  if (!s.ok()) return s;
  int64_t oid = db.lastInsertId();
  // Object ids are 32-bit on the phone; wrapping around would reuse old ones.
  if (oid > 0xFFFFFFFFLL) return Status::Failed("the store has used up its object ids");
  return static_cast<uint32_t>(oid);
}

Status SimItems::writeContact(Database& db, const Contact& c, bool insert) {
  Statement& q = db.prepare(
      insert ? "INSERT INTO contacts(first, last, mobile, home, business, birthday, anniversary,"
               " categories, oid) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"
             : "UPDATE contacts SET first = ?, last = ?, mobile = ?, home = ?, business = ?,"
               " birthday = ?, anniversary = ?, categories = ? WHERE oid = ?");
  q.bind(1, c.firstName).bind(2, c.lastName).bind(3, c.mobilePhone).bind(4, c.homePhone);
  q.bind(5, c.businessPhone);
  bindOptional(q, 6, storedDay(c.birthday));
  bindOptional(q, 7, storedDay(c.anniversary));
  q.bind(8, c.categories).bind(9, static_cast<int64_t>(c.oid));
  return q.run();
}

Status SimItems::writeAppointment(Database& db, const Appointment& a, bool insert) {
  Statement& q = db.prepare(
      insert ? "INSERT INTO appointments(subject, location, categories, start, finish, allday,"
               " duration, rrule, exdates, tz, rdates, oid) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
             : "UPDATE appointments SET subject = ?, location = ?, categories = ?, start = ?,"
               " finish = ?, allday = ?, duration = ?, rrule = ?, exdates = ?, tz = ?, rdates = ?"
               " WHERE oid = ?");
  // A series with a zone of its own is kept in it: its start and end are its wall times
  // there, so that a later change of the device's zone moves none of its occurrences.
  std::string zone = recurs(a) ? a.timeZone : "";
  auto clock = SeriesClock::open(zone, clock_);
  if (!clock.ok()) return clock.status();
  int64_t start = toEpochMs(clock->toSeries(a.start)), end = toEpochMs(clock->toSeries(a.end));
  int64_t duration = a.durationMinutes > 0 ? a.durationMinutes : (toEpochMs(a.end) - toEpochMs(a.start)) / 60000;
  q.bind(1, a.subject).bind(2, a.location).bind(3, a.categories).bind(4, start).bind(5, end);
  q.bind(6, a.allDay ? 1 : 0).bind(7, duration).bind(8, a.recurrenceRule);
  q.bind(9, joinTimes(a.exceptionDates)).bind(10, zone).bind(11, joinTimes(a.recurrenceDates));
  q.bind(12, static_cast<int64_t>(a.oid));
  return q.run();
}

Status SimItems::change(ItemFolder folder, uint32_t message,
                        const std::function<Status(Database&)>& body) {
  auto d = db();
  if (!d.ok()) return d.status();
  Database& db = **d;
  Status s = db.write([&] { return body(db); });
  if (s.ok()) announce(folder, message);
  return s;
}

Result<std::vector<uint32_t>> SimItems::addContacts(const std::vector<NewContact>& contacts) {
  for (size_t i = 0; i < contacts.size(); ++i) {
    Status s = checkContact(contacts[i].contact, i);
    if (!s.ok()) return s;
  }
  std::vector<uint32_t> oids;
  if (contacts.empty()) return oids;
  Status s = change(ItemFolder::kContacts, kItemAdded, [&](Database& db) {
    for (const NewContact& n : contacts) {
      auto oid = newOid(db, ItemFolder::kContacts);
      if (!oid.ok()) return oid.status();
      Contact c = n.contact;
      c.oid = *oid;
      Status w = writeContact(db, c, true);
      if (w.ok() && !n.picture.empty()) w = writePicture(db, *oid, n.picture);
      if (!w.ok()) return w;
      oids.push_back(*oid);
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  return oids;
}

Result<std::vector<uint32_t>> SimItems::addAppointments(const std::vector<Appointment>& appointments) {
  for (size_t i = 0; i < appointments.size(); ++i) {
    Status s = checkAppointment(appointments[i], i);
    if (!s.ok()) return s;
  }
  std::vector<uint32_t> oids;
  if (appointments.empty()) return oids;
  Status s = change(ItemFolder::kCalendar, kItemAdded, [&](Database& db) {
    for (const Appointment& given : appointments) {
      auto oid = newOid(db, ItemFolder::kCalendar);
      if (!oid.ok()) return oid.status();
      Appointment a = given;
      a.oid = *oid;
      Status w = writeAppointment(db, a, true);
      if (!w.ok()) return w;
      oids.push_back(*oid);
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  return oids;
}

Status SimItems::updateContact(const Contact& contact) {
  Status s = checkContact(contact, 0);
  if (!s.ok()) return s;
  return change(ItemFolder::kContacts, kItemChanged, [&](Database& db) {
    Status w = writeContact(db, contact, false);
    if (w.ok() && db.changes() == 0) w = Status::NotFound("no contact " + std::to_string(contact.oid));
    return w;
  });
}

Status SimItems::updateAppointment(const Appointment& appointment) {
  Status s = checkAppointment(appointment, 0);
  if (!s.ok()) return s;
  return change(ItemFolder::kCalendar, kItemChanged, [&](Database& db) {
    Status w = writeAppointment(db, appointment, false);
    if (w.ok() && db.changes() == 0) {
      w = Status::NotFound("no appointment " + std::to_string(appointment.oid));
    }
    return w;
  });
}

Status SimItems::setContactPicture(uint32_t oid, std::string_view picture) {
  return change(ItemFolder::kContacts, kItemChanged,
                [&](Database& db) { return writePicture(db, oid, picture); });
}

Status SimItems::removeItem(uint32_t oid) {
  auto d = db();
  if (!d.ok()) return d.status();
  Database& db = **d;
  std::optional<ItemFolder> folder;
  Status s = db.write([&] {
    folder = folderOf(db, oid);
    if (!folder) return Status::NotFound("no item " + std::to_string(oid));
    const char* sql = *folder == ItemFolder::kContacts ? "DELETE FROM contacts WHERE oid = ?"
                                                       : "DELETE FROM appointments WHERE oid = ?";
    Status w = db.prepare(sql).bind(1, static_cast<int64_t>(oid)).run();
    if (w.ok()) w = db.prepare("DELETE FROM items WHERE oid = ?").bind(1, static_cast<int64_t>(oid)).run();
    return w;
  });
  if (s.ok()) announce(*folder, kItemDeleted);
  return s;
}

}  // namespace zelko::platform::sim
