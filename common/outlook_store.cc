#include "common/outlook_store.h"

#include <algorithm>
#include <cmath>

#include "platform/date_time.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko {
namespace {

using platform::ItemFolder;
using platform::Status;

using platform::kDayMs;
// Days from 30 December 1899 to 1 January 1970.
constexpr int64_t kEpochDay = 25569;

// `text` with its double quotes doubled, cut at a whole character (and never between the
// two halves of a doubled quote) so that it takes at most `budget` UTF-16 units.
std::string quoteWithin(std::string_view text, size_t budget) {
  std::string out;
  size_t used = 0;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    len = std::min(len, text.size() - i);
    std::string_view ch = text.substr(i, len);
    size_t units = ch == "\"" ? 2 : len == 4 ? 2 : 1;
    if (used + units > budget) break;
    out += ch == "\"" ? std::string("\"\"") : std::string(ch);
    used += units;
    i += len;
  }
  return out;
}

// Fills a template whose every %s takes the same share of what the limit leaves.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
  size_t slots = 0, fixed = 0;
  for (size_t p = pattern.find("%s"); p != std::string_view::npos; p = pattern.find("%s", p + 2)) ++slots;
  fixed = pattern.size() - 2 * slots;  // the templates are ASCII
  size_t share = (platform::kMaxRestrictionLength - fixed) / slots;
  std::string out;
  auto arg = args.begin();
  size_t from = 0;
  for (size_t p = pattern.find("%s"); p != std::string_view::npos; p = pattern.find("%s", from)) {
    out += pattern.substr(from, p - from);
    out += quoteWithin(*arg, share);
    if (arg + 1 != args.end()) ++arg;
    from = p + 2;
  }
  out += pattern.substr(from);
  return out;
}

}  // namespace

double toAutomationDate(const platform::DateTime& t) {
  int64_t ms = platform::toEpochMs(t);
  int64_t day = (ms >= 0 ? ms / kDayMs : -((-ms + kDayMs - 1) / kDayMs)) + kEpochDay;
  double fraction = static_cast<double>(ms - (day - kEpochDay) * kDayMs) / kDayMs;
  // Before 30 December 1899 the time of day still counts forward from the day's start.
  return day >= 0 ? day + fraction : day - fraction;
}

std::optional<platform::DateTime> fromAutomationDate(double date) {
  if (!(date > -657435.0 && date < 2958466.0)) return std::nullopt;  // also NaN
  double whole = std::trunc(date);
  int64_t seconds = std::llround(std::fabs(date - whole) * 86400.0);
  int64_t ms = (static_cast<int64_t>(whole) - kEpochDay) * kDayMs + seconds * 1000;
  return platform::fromEpochMs(ms);
}

std::string nameRestriction(std::string_view name, std::string_view second) {
  if (second.empty()) return fill(R"([LastName] = "%s" OR [FirstName] = "%s")", {name});
  return fill(R"([LastName] = "%s" AND [FirstName] = "%s")", {name, second});
}

std::string phoneRestriction(std::string_view number) {
  return fill(R"([MobileTelephoneNumber] = "%s" OR [BusinessTelephoneNumber] = "%s" OR )"
              R"([HomeTelephoneNumber] = "%s")",
              {number});
}

OutlookStore::OutlookStore(OutlookSession& session, ItemFolder folder) : session_(session) {
  open();
  openDefaultFolder(folder);
}

void OutlookStore::open(platform::WindowHandle ownerWindow) {
  if (session_.created_) return;
  session_.loggedOn_ = false;
  session_.created_ = true;
  session_.owner_ = ownerWindow;
  session_.loggedOn_ = session_.platform_.items().logOn().ok();
}

void OutlookStore::openDefaultFolder(ItemFolder folder) {
  session_.walk_.reset();
  session_.folder_.reset();
  if (usable()) session_.folder_ = folder;
}

size_t OutlookStore::itemCount() const {
  if (!usable() || !session_.folder_) return 0;
  return session_.platform_.items().count(*session_.folder_);
}

void OutlookStore::read(platform::Item item) {
  if (const auto* c = std::get_if<platform::Contact>(&item)) {
    record_.firstName = c->firstName;
    record_.lastName = c->lastName;
    record_.mobilePhone = c->mobilePhone;
    record_.homePhone = c->homePhone;
    record_.businessPhone = c->businessPhone;
    record_.birthday = c->birthday ? toAutomationDate(*c->birthday) : 0;
    record_.anniversary = c->anniversary ? toAutomationDate(*c->anniversary) : 0;
    record_.categories = c->categories;
    record_.oid = c->oid;
  }
  lastItem_ = std::move(item);
}

void OutlookStore::advance() {
  current_ = session_.walk_ ? session_.walk_->next() : std::nullopt;
  session_.lastWalkStatus_ = Status::Code::kOk;
}

bool OutlookStore::find(std::string_view restriction) {
  releaseCurrent();
  session_.walk_.reset();
  if (!usable() || !session_.folder_) {
    session_.lastWalkStatus_ = Status::Code::kFailed;
    return false;
  }
  auto walk = session_.platform_.items().find(*session_.folder_, restriction);
  session_.lastWalkStatus_ = walk.status().code();
  if (!walk.ok()) return false;
  session_.walk_ = std::move(*walk);
  auto first = session_.walk_->next();
  if (!first) return false;
  read(std::move(*first));
  advance();
  return true;
}

bool OutlookStore::next() {
  if (session_.lastWalkStatus_ != Status::Code::kOk || !current_) return false;
  platform::Item item = std::move(*current_);
  current_.reset();
  read(std::move(item));
  advance();
  return true;
}

bool OutlookStore::fetch(uint32_t oid) {
  releaseCurrent();
  if (!usable()) {
    session_.lastWalkStatus_ = Status::Code::kFailed;
    return false;
  }
  auto item = session_.platform_.items().item(oid);
  session_.lastWalkStatus_ = item.status().code();
  if (!item.ok()) return false;
  current_ = *item;
  read(std::move(*item));
  return true;
}

bool OutlookStore::saveContactPicture(std::string_view path) {
  auto& files = session_.platform_.files();
  // A picture once written stays as it is: the home screen may show it while we run.
  if (files.exists(path)) return true;
  if (!usable()) return false;
  auto bytes = session_.platform_.items().contactPicture(record_.oid);
  if (!bytes.ok()) return false;
  return files.writeFile(path, *bytes).ok();
}

bool OutlookStore::findContactByName(std::string_view name, std::string_view second) {
  return find(nameRestriction(name, second));
}

bool OutlookStore::findContactByPhone(std::string_view number) {
  return find(phoneRestriction(number));
}

Status OutlookStore::enableChangeNotifications(ItemFolder folder) {
  if (!usable()) return Status::Failed("the item store is not open");
  if (session_.owner_ == 0) return Status::Invalid("the store was opened without a window");
  return session_.platform_.items().enableChangeNotifications(folder, session_.owner_);
}

void OutlookStore::close() {
  releaseCurrent();
  session_.walk_.reset();
  session_.folder_.reset();
  session_.created_ = false;
  session_.loggedOn_ = false;
  session_.owner_ = 0;
}

}  // namespace zelko
