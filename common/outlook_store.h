// The suite's one way into the phone's contacts and calendar store: log on, open a
// default folder, walk the items that match a restriction, fetch by object id, save a
// contact's picture, and ask for change messages.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/items.h"

namespace zelko::platform {
class Platform;
}

namespace zelko {

// Store dates are automation dates: days since 30 December 1899, the time of day as the
// fraction.
double toAutomationDate(const platform::DateTime& t);
// The calendar time of an automation date (to the second); nullopt for one outside the
// years 100-9999.
std::optional<platform::DateTime> fromAutomationDate(double date);

struct ContactRecord {
  std::string firstName, lastName;
  std::string mobilePhone, homePhone, businessPhone;
  // Automation dates; 0 when the contact has none (the listings select contacts with a
  // restriction on the date, so they never see those).
  double birthday = 0;
  double anniversary = 0;
  std::string categories;
  uint32_t oid = 0;
};

// The connection's state that the phone keeps once per process and every OutlookStore
// shares: the logged-on store, the item collection of the folder opened last and the
// status of the last find or find-next. A program makes one in main and hands it to the
// parts that read the store; a test makes a fresh one.
class OutlookSession {
 public:
  explicit OutlookSession(platform::Platform& platform) : platform_(platform) {}
  OutlookSession(const OutlookSession&) = delete;
  OutlookSession& operator=(const OutlookSession&) = delete;

  platform::Platform& platform() { return platform_; }
  // True between an open that created the connection and close.
  bool isOpen() const { return created_; }
  bool loggedOn() const { return loggedOn_; }

 private:
  friend class OutlookStore;
  platform::Platform& platform_;
  bool created_ = false;
  bool loggedOn_ = false;
  platform::WindowHandle owner_ = 0;
  std::optional<platform::ItemFolder> folder_;   // the item collection
  std::unique_ptr<platform::ItemWalk> walk_;     // the collection's current search
  platform::Status::Code lastWalkStatus_ = platform::Status::Code::kOk;
};

class OutlookStore {
 public:
  // Not yet open: call open and openDefaultFolder, or use the constructor below.
  explicit OutlookStore(OutlookSession& session) : session_(session) {}
  // The providers' usual start: open without owner window, then the folder.
  OutlookStore(OutlookSession& session, platform::ItemFolder folder);
  OutlookStore(const OutlookStore&) = delete;
  OutlookStore& operator=(const OutlookStore&) = delete;
  ~OutlookStore() { releaseCurrent(); }

  // Logs on with `ownerWindow` as the receiver of change messages. Does nothing while the
  // session is open already: the first owner stays.
  void open(platform::WindowHandle ownerWindow = 0);
  // Takes the folder's items as the session's collection. Fails quietly (an empty
  // collection) when not logged on.
  void openDefaultFolder(platform::ItemFolder folder);
  // Reads the first match into record() and holds the next one; false when nothing
  // matches (record() keeps what it held), the restriction is malformed or the store is
  // not open.
  bool find(std::string_view restriction);
  // Reads the held match into record() and holds the one after it; false at the end.
  bool next();
  // Reads the item into record() and holds it as the current item; false when there is no
  // such item.
  bool fetch(uint32_t oid);
  void releaseCurrent() { current_.reset(); }
  // Writes the picture of the contact record().oid to the device file `path`. An existing
  // file is left as it is and counts as success; a contact without picture writes nothing
  // and fails.
  bool saveContactPicture(std::string_view path);
  // With `second` empty: the first contact whose last or first name is `name`; otherwise
  // the first whose last name is `name` and first name is `second`. Texts too long for a
  // restriction are cut to fit.
  bool findContactByName(std::string_view name, std::string_view second = {});
  // The first contact with `number` as mobile, business or home number.
  bool findContactByPhone(std::string_view number);
  // Asks the store to post kItemAdded/kItemDeleted/kItemChanged to the window given to
  // open when another program changes an item of `folder`.
  platform::Status enableChangeNotifications(platform::ItemFolder folder);
  // Ends the session's connection; a later open starts a new one.
  void close();

  bool loggedOn() const { return session_.loggedOn_; }
  // The number of items in the collection now, counted when asked: most runs never ask.
  size_t itemCount() const;
  const ContactRecord& record() const { return record_; }
  // The item read last by find, next or fetch (a contact or an appointment); nullopt
  // before the first read.
  const std::optional<platform::Item>& lastItem() const { return lastItem_; }
  bool hasCurrent() const { return current_.has_value(); }

 private:
  void read(platform::Item item);
  void advance();
  bool usable() const { return session_.created_ && session_.loggedOn_; }

  OutlookSession& session_;
  std::optional<platform::Item> current_;
  std::optional<platform::Item> lastItem_;
  ContactRecord record_;
};

// The restriction texts of the lookups, quotes doubled and the inputs cut so that the
// whole stays within the store's limit. Exposed for the lookups' tests.
std::string nameRestriction(std::string_view name, std::string_view second);
std::string phoneRestriction(std::string_view number);

}  // namespace zelko
