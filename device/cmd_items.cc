// contacts add|list|del|import, calendar add|list|del|import. Every change goes through
// the device's item store, so windows that asked for change messages get them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>

#include "device/cli.h"
#include "device/ical_import.h"
#include "device/import_text.h"
#include "platform/sim/bounded_read.h"
#include "device/vcard.h"
#include "platform/date_time.h"

namespace zelko::device {
namespace {

using platform::Appointment;
using platform::Contact;
using platform::DateTime;
using platform::ItemFolder;

const char kContactsUsage[] =
    "usage: zelko-device contacts add --first F --last L [--mobile N] [--home N] [--business N]\n"
    "                                 [--birthday YYYY-MM-DD] [--anniversary YYYY-MM-DD]\n"
    "                                 [--categories C] [--picture FILE]\n"
    "       zelko-device contacts list\n"
    "       zelko-device contacts del OID\n"
    "       zelko-device contacts import [--skip-bad] FILE.vcf\n"
    "\n"
    "add prints the new contact's object id; --picture takes the bytes of an image file.\n"
    "list prints one contact a line, in the store's order:\n"
    "OID<TAB>FIRST<TAB>LAST<TAB>MOBILE<TAB>HOME<TAB>BUSINESS<TAB>BIRTHDAY<TAB>ANNIVERSARY<TAB>\n"
    "CATEGORIES<TAB>PICTURE, dates as YYYY-MM-DD, PICTURE yes or no, tabs and line breaks in\n"
    "texts written as \\t, \\n, \\r.\n"
    "import reads vCard 2.1, 3.0 and 4.0 (N, FN, TEL by type, BDAY, the anniversary,\n"
    "CATEGORIES, inline PHOTO) and prints how many contacts it added. Typed numbers take\n"
    "their own slot (CELL mobile, HOME home, WORK business); untyped ones fill the slots\n"
    "left, in that order; fax, pager, ISDN and modem numbers are left out. A date without a\n"
    "year is kept in 1604. A file with an error adds nothing; with --skip-bad the good cards\n"
    "are added and each card left out is named on stderr with its line.\n";

const char kCalendarUsage[] =
    "usage: zelko-device calendar add --subject S [--location L] --start 'YYYY-MM-DD HH:MM'\n"
    "                                 [--end 'YYYY-MM-DD HH:MM'] [--all-day] [--categories C]\n"
    "                                 [--rrule 'FREQ=DAILY;...']\n"
    "       zelko-device calendar list\n"
    "       zelko-device calendar del OID\n"
    "       zelko-device calendar import FILE.ics\n"
    "\n"
    "add prints the new appointment's object id. Times are device-local. Without --end an\n"
    "appointment lasts an hour. --all-day takes dates (YYYY-MM-DD): the item runs from 00:00\n"
    "on --start to 00:00 after --end, one day without --end. --rrule is an iCalendar rule;\n"
    "the series starts at --start.\n"
    "list prints one appointment a line, in the store's order:\n"
    "OID<TAB>START<TAB>END<TAB>all-day|timed<TAB>SUBJECT<TAB>LOCATION<TAB>CATEGORIES<TAB>RRULE<TAB>\n"
    "EXCEPTIONS<TAB>EXTRA DATES<TAB>ZONE, times as YYYY-MM-DD HH:MM, START and END in device\n"
    "time, the dates of a series separated by commas in its own ZONE (empty: the device's).\n"
    "import reads the VEVENTs of an iCalendar file (SUMMARY, LOCATION, CATEGORIES, DTSTART,\n"
    "DTEND or DURATION, all-day dates, RRULE, RDATE, EXDATE, RECURRENCE-ID, STATUS) and\n"
    "prints how many appointments it added. A single appointment with a TZID or in UTC is\n"
    "moved to device time; a recurring one keeps its zone, so its occurrences keep their\n"
    "days and hours there. A file with an error adds nothing.\n";

std::string readFile(const std::string& path, uintmax_t maxBytes) {
  auto bytes = platform::sim::readBoundedFile(path, maxBytes, path);
  if (!bytes.ok()) throw Failure(bytes.status().message());
  return std::move(*bytes);
}

std::string formatDay(const DateTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
  return buf;
}

std::string formatTime(const DateTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s %02d:%02d", formatDay(t).c_str(), t.hour, t.minute);
  std::string out = buf;
  if (t.second) out += (t.second < 10 ? ":0" : ":") + std::to_string(t.second);
  return out;
}

DateTime parseDay(const std::string& text, const std::string& option) {
  auto t = text.size() == 10 ? platform::parseIsoDateTime(text + " 00:00") : std::nullopt;
  if (!t) throw UsageError("bad " + option + " " + text + " (expected YYYY-MM-DD)");
  return *t;
}

uint32_t parseOid(const std::string& text) {
  uint64_t oid = parseNumber(text, "OID");
  if (oid == 0 || oid > 0xFFFFFFFFu) throw UsageError("OID " + text + " is out of range");
  return static_cast<uint32_t>(oid);
}

// Every item of a folder, in the store's order.
template <typename T>
std::vector<T> allItems(platform::Items& items, ItemFolder folder) {
  auto walk = items.find(folder, "");
  check(walk.status());
  std::vector<T> out;
  while (auto item = (*walk)->next()) {
    if (auto* i = std::get_if<T>(&*item)) out.push_back(std::move(*i));
  }
  return out;
}

int contactsAdd(Context& ctx, Args& args) {
  Contact c;
  auto first = args.option("--first"), last = args.option("--last");
  if (!first || !last) throw UsageError("a contact needs --first and --last");
  c.firstName = *first;
  c.lastName = *last;
  c.mobilePhone = args.option("--mobile").value_or("");
  c.homePhone = args.option("--home").value_or("");
  c.businessPhone = args.option("--business").value_or("");
  if (auto b = args.option("--birthday")) c.birthday = parseDay(*b, "--birthday");
  if (auto a = args.option("--anniversary")) c.anniversary = parseDay(*a, "--anniversary");
  c.categories = args.option("--categories").value_or("");
  auto picturePath = args.option("--picture");
  args.done();
  std::string picture;
  if (picturePath) {
    picture = readFile(*picturePath, kMaxVCardFileBytes);
    if (picture.empty()) throw Failure("picture " + *picturePath + " is empty");
  }
  auto oid = ctx.platform().items().addContact(c, picture);
  check(oid.status());
  std::printf("%u\n", *oid);
  return 0;
}

int contactsList(Context& ctx, Args& args) {
  args.done();
  for (const Contact& c : allItems<Contact>(ctx.platform().items(), ItemFolder::kContacts)) {
    std::printf("%u\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", c.oid, escapeText(c.firstName).c_str(),
                escapeText(c.lastName).c_str(), escapeText(c.mobilePhone).c_str(), escapeText(c.homePhone).c_str(),
                escapeText(c.businessPhone).c_str(), c.birthday ? formatDay(*c.birthday).c_str() : "",
                c.anniversary ? formatDay(*c.anniversary).c_str() : "", escapeText(c.categories).c_str(),
                c.hasPicture ? "yes" : "no");
  }
  return 0;
}

int contactsImport(Context& ctx, Args& args) {
  bool skipBad = args.flag("--skip-bad");
  std::string file = args.next("FILE.vcf");
  args.done();
  auto read = parseVCards(readFile(file, kMaxVCardFileBytes), skipBad);
  if (!read.ok()) throw Failure(file + ": " + read.status().message());
  for (const std::string& why : read->skipped) std::fprintf(stderr, "%s: skipped: %s\n", file.c_str(), why.c_str());
  if (read->contacts.empty()) throw Failure(file + ": no card could be read");
  auto oids = ctx.platform().items().addContacts(read->contacts);
  if (!oids.ok()) throw Failure(file + ": " + oids.status().message());
  std::printf("%zu\n", oids->size());
  return 0;
}

// Removes an item after checking it is of the folder the command is about, so that
// `contacts del` never takes an appointment away.
template <typename T>
int deleteItem(Context& ctx, Args& args, const char* kind) {
  std::string text = args.next("OID");
  args.done();
  uint32_t oid = parseOid(text);
  auto& items = ctx.platform().items();
  auto item = items.item(oid);
  if (!item.ok() || !std::holds_alternative<T>(*item)) throw Failure(std::string("no ") + kind + " " + text);
  check(items.removeItem(oid));
  return 0;
}

int contacts(Context& ctx, Args& args) {
  std::string sub = args.next("contacts command (add, list, del, import)");
  if (sub == "add") return contactsAdd(ctx, args);
  if (sub == "list") return contactsList(ctx, args);
  if (sub == "del") return deleteItem<Contact>(ctx, args, "contact");
  if (sub == "import") return contactsImport(ctx, args);
  throw UsageError("unknown contacts command " + sub);
}

DateTime parseTime(const std::string& text, const std::string& option, bool allDay) {
  if (allDay) return parseDay(text, option);
  auto t = platform::parseIsoDateTime(text);
  if (!t) throw UsageError("bad " + option + " " + text + " (expected YYYY-MM-DD HH:MM)");
  return *t;
}

DateTime plusMinutes(const DateTime& t, int64_t minutes) {
  return platform::fromEpochMs(platform::toEpochMs(t) + minutes * 60000);
}

int calendarAdd(Context& ctx, Args& args) {
  Appointment a;
  auto subject = args.option("--subject");
  auto start = args.option("--start");
  if (!subject) throw UsageError("an appointment needs --subject");
  if (!start) throw UsageError("an appointment needs --start");
  a.subject = *subject;
  a.location = args.option("--location").value_or("");
  a.allDay = args.flag("--all-day");
  a.categories = args.option("--categories").value_or("");
  a.start = parseTime(*start, "--start", a.allDay);
  auto end = args.option("--end");
  if (end) {
    a.end = parseTime(*end, "--end", a.allDay);
    if (platform::toEpochMs(a.end) < platform::toEpochMs(a.start)) throw UsageError("--end is before --start");
    if (a.allDay) a.end = plusMinutes(a.end, 24 * 60);  // the last day is given; the item runs through it
  } else {
    a.end = plusMinutes(a.start, a.allDay ? 24 * 60 : 60);
  }
  if (auto rule = args.option("--rrule")) {
    auto canonical = canonicalRecurrenceRule(*rule);
    if (!canonical.ok()) throw UsageError("--rrule: " + canonical.status().message());
    a.recurrenceRule = *canonical;
  }
  args.done();
  auto oid = ctx.platform().items().addAppointment(a);
  check(oid.status());
  std::printf("%u\n", *oid);
  return 0;
}

int calendarList(Context& ctx, Args& args) {
  args.done();
  auto joined = [](const std::vector<DateTime>& dates) {
    std::string out;
    for (const DateTime& d : dates) out += (out.empty() ? "" : ",") + formatTime(d);
    return out;
  };
  for (const Appointment& a : allItems<Appointment>(ctx.platform().items(), ItemFolder::kCalendar)) {
    std::printf("%u\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", a.oid, formatTime(a.start).c_str(),
                formatTime(a.end).c_str(), a.allDay ? "all-day" : "timed", escapeText(a.subject).c_str(),
                escapeText(a.location).c_str(), escapeText(a.categories).c_str(), escapeText(a.recurrenceRule).c_str(),
                joined(a.exceptionDates).c_str(), joined(a.recurrenceDates).c_str(), a.timeZone.c_str());
  }
  return 0;
}

int calendarImport(Context& ctx, Args& args) {
  std::string file = args.next("FILE.ics");
  args.done();
  std::string text = readFile(file, kMaxCalendarFileBytes);
  auto appointments = importCalendar(text, ctx.platform().clock());
  if (!appointments.ok()) throw Failure(file + ": " + appointments.status().message());
  auto oids = ctx.platform().items().addAppointments(*appointments);
  if (!oids.ok()) throw Failure(file + ": " + oids.status().message());
  std::printf("%zu\n", oids->size());
  return 0;
}

int calendar(Context& ctx, Args& args) {
  std::string sub = args.next("calendar command (add, list, del, import)");
  if (sub == "add") return calendarAdd(ctx, args);
  if (sub == "list") return calendarList(ctx, args);
  if (sub == "del") return deleteItem<Appointment>(ctx, args, "appointment");
  if (sub == "import") return calendarImport(ctx, args);
  throw UsageError("unknown calendar command " + sub);
}

}  // namespace

const Command kItemsCommands[] = {
    {"contacts", "add, list, delete or import contacts", kContactsUsage, contacts},
    {"calendar", "add, list, delete or import appointments", kCalendarUsage, calendar},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
