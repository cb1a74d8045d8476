#include "platform/sim/sim_messaging.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/sim/device.h"

namespace zelko::platform::sim {
namespace {

// An exclusive lock on a file of run/, held for the object's life. The kernel drops it
// when the process ends, however it ends.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      error_ = std::string("cannot open ") + path.string() + ": " + std::strerror(errno);
      return;
    }
    int rc;
    do rc = flock(fd_, LOCK_EX); while (rc != 0 && errno == EINTR);
    if (rc != 0) error_ = "cannot lock " + path.string() + ": " + std::strerror(errno);
  }
  ~FileLock() {
    if (fd_ >= 0) close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  Status status() const { return error_.empty() ? Status::Ok() : Status::IoError(error_); }

 private:
  int fd_ = -1;
  std::string error_;
};

Status checkStore(std::string_view store) {
  if (store == kSmsStore) return Status::Ok();
  return Status::NotFound("no message store named \"" + std::string(store) + "\"");
}

Result<uint32_t> unreadCount(Database& db) {
  Statement& q = db.prepare("SELECT count(*) FROM inbox WHERE read = 0");
  std::optional<int64_t> n;
  if (q.step()) n = q.columnInt(0);
  q.reset();
  if (!n) return Status::IoError("cannot count the unread texts");
  return static_cast<uint32_t>(*n);
}

}  // namespace

SimMessaging::SimMessaging(std::filesystem::path messagesPath, std::filesystem::path runDir,
                           Registry& registry, Journal& journal, Clock& clock,
                           DeviceSettings& settings)
    : messagesPath_(std::move(messagesPath)),
      lockPath_(std::move(runDir) / "messages.lock"),
      registry_(registry),
      journal_(journal),
      clock_(clock),
      settings_(settings) {}

Status SimMessaging::createSchema(Database& db) {
  // AUTOINCREMENT: an entry id a provider kept for a deleted message must never name a
  // newer one.
  return db.write([&] {
    return db.exec(
        "CREATE TABLE IF NOT EXISTS inbox(id INTEGER PRIMARY KEY AUTOINCREMENT,"
        " sender TEXT NOT NULL, subject TEXT NOT NULL, delivered INTEGER NOT NULL,"
        " read INTEGER NOT NULL);"
        "CREATE INDEX IF NOT EXISTS inbox_by_time ON inbox(delivered, id);"
        "CREATE INDEX IF NOT EXISTS inbox_unread ON inbox(id) WHERE read = 0;"
        "CREATE TABLE IF NOT EXISTS outbox(seq INTEGER PRIMARY KEY AUTOINCREMENT,"
        " sent INTEGER NOT NULL, number TEXT NOT NULL, text TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS bubble(slot INTEGER PRIMARY KEY CHECK(slot = 1),"
        " title TEXT NOT NULL, body TEXT NOT NULL);");
  });
}

Result<Database*> SimMessaging::db() {
  std::lock_guard guard(openMutex_);
  if (db_) return db_.get();
  auto opened = Database::openStore(messagesPath_, {"inbox", "outbox", "bubble"});
  if (!opened.ok()) return opened.status();
  db_ = std::move(*opened);
  return db_.get();
}

Result<std::vector<InboxMessage>> SimMessaging::inbox(std::string_view store) {
  Status s = checkStore(store);
  if (!s.ok()) return s;
  auto d = db();
  if (!d.ok()) return d.status();
  auto guard = (*d)->lock();
  // One statement is one read transaction: the walk sees the inbox as it was when it
  // began, whatever other programs change meanwhile.
  Statement& q = (*d)->prepare(
      "SELECT id, sender, subject, delivered, read FROM inbox ORDER BY delivered DESC, id DESC");
  std::vector<InboxMessage> out;
  while (q.step()) {
    InboxMessage m;
    m.id = static_cast<uint64_t>(q.columnInt(0));
    m.sender = q.columnText(1);
    m.subject = q.columnText(2);
    m.delivered = fromEpochMs(q.columnInt(3));
    m.read = q.columnInt(4) != 0;
    out.push_back(std::move(m));
  }
  bool ok = q.ok();
  q.reset();
  if (!ok) return Status::IoError("cannot read " + messagesPath_.string());
  return out;
}

Status SimMessaging::changeInbox(const std::function<Status(Database&)>& body) {
  auto d = db();
  if (!d.ok()) return d.status();
  Database& db = **d;
  FileLock lock(lockPath_);
  if (!lock.status().ok()) return lock.status();
  uint32_t unread = 0;
  Status s = db.write([&] {
    Status w = body(db);
    if (!w.ok()) return w;
    auto n = unreadCount(db);
    if (!n.ok()) return n.status();
    unread = *n;
    return Status::Ok();
  });
  if (!s.ok()) return s;
  // After the commit, so that whoever is told of the new count finds the inbox changed.
  s = registry_.setValue(Root::kCurrentUser, kSmsUnreadKey, kSmsUnreadValue,
                         RegValue::Dword(unread));
  if (!s.ok()) {
    return Status::IoError("the inbox changed but the unread count could not be set: " +
                           s.message());
  }
  return Status::Ok();
}

Result<size_t> SimMessaging::changeEach(std::string_view store, std::span<const uint64_t> ids,
                                        std::string_view sql) {
  Status s = checkStore(store);
  if (!s.ok()) return s;
  size_t changed = 0;
  s = changeInbox([&](Database& db) {
    for (uint64_t id : ids) {
      Status w = db.prepare(sql).bind(1, static_cast<int64_t>(id)).run();
      if (!w.ok()) return w;
      changed += static_cast<size_t>(db.changes());
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  return changed;
}

Result<size_t> SimMessaging::markRead(std::string_view store, std::span<const uint64_t> ids) {
  return changeEach(store, ids, "UPDATE inbox SET read = 1 WHERE id = ? AND read = 0");
}

Result<size_t> SimMessaging::remove(std::string_view store, std::span<const uint64_t> ids) {
  return changeEach(store, ids, "DELETE FROM inbox WHERE id = ?");
}

Result<uint64_t> SimMessaging::receive(const InboxMessage& message) {
  DateTime delivered = message.delivered;
  if (!normalizeDateTime(delivered)) return Status::Invalid("impossible delivery time");
  uint64_t id = 0;
  Status s = changeInbox([&](Database& db) {
    Statement& q =
        db.prepare("INSERT INTO inbox(sender, subject, delivered, read) VALUES(?, ?, ?, ?)");
    q.bind(1, message.sender).bind(2, message.subject).bind(3, toEpochMs(delivered));
    Status w = q.bind(4, message.read ? 1 : 0).run();
    id = static_cast<uint64_t>(db.lastInsertId());
    return w;
  });
  if (!s.ok()) return s;
  return id;
}

Status SimMessaging::sendSms(std::string_view number, std::string_view text,
                             std::chrono::milliseconds readyWait) {
  if (number.empty() || text.empty()) return Status::Invalid("a text needs a number and a text");
  if (settings_.get(kLibrarySetting, "ready") == "stuck") {
    clock_.sleep(std::max(readyWait, std::chrono::milliseconds(0)));
    return Status::Busy("the SMS library was not ready to send within " +
                        std::to_string(readyWait.count()) + " ms");
  }
  auto d = db();
  if (!d.ok()) return d.status();
  Database& db = **d;
  Status s = db.write([&] {
    Statement& q = db.prepare("INSERT INTO outbox(sent, number, text) VALUES(?, ?, ?)");
    return q.bind(1, toEpochMs(clock_.utcNow())).bind(2, number).bind(3, text).run();
  });
  if (!s.ok()) return s;
  journal_.record("sms", {JsonField::Text("number", number), JsonField::Text("text", text)});
  return Status::Ok();
}

Result<std::vector<SentText>> SimMessaging::sent() {
  auto d = db();
  if (!d.ok()) return d.status();
  auto guard = (*d)->lock();
  Statement& q = (*d)->prepare("SELECT sent, number, text FROM outbox ORDER BY seq");
  std::vector<SentText> out;
  while (q.step()) out.push_back({fromEpochMs(q.columnInt(0)), q.columnText(1), q.columnText(2)});
  bool ok = q.ok();
  q.reset();
  if (!ok) return Status::IoError("cannot read " + messagesPath_.string());
  return out;
}

Status SimMessaging::placeCall(std::string_view number) {
  if (number.empty()) return Status::Invalid("a call needs a number");
  journal_.record("call", {JsonField::Text("number", number)});
  return Status::Ok();
}

Status SimMessaging::showBubble(std::string_view title, std::string_view body) {
  auto d = db();
  if (!d.ok()) return d.status();
  Database& db = **d;
  Status s = db.write([&] {
    Statement& q = db.prepare("INSERT OR REPLACE INTO bubble(slot, title, body) VALUES(1, ?, ?)");
    return q.bind(1, title).bind(2, body).run();
  });
  if (!s.ok()) return s;
  journal_.record("bubble", {JsonField::Text("title", title), JsonField::Text("body", body)});
  return Status::Ok();
}

Status SimMessaging::removeBubble() {
  auto d = db();
  if (!d.ok()) return d.status();
  Database& db = **d;
  std::optional<std::pair<std::string, std::string>> shown;
  Status s = db.write([&] {
    Statement& q = db.prepare("SELECT title, body FROM bubble WHERE slot = 1");
    if (q.step()) shown.emplace(q.columnText(0), q.columnText(1));
    bool ok = q.ok();
    q.reset();
    if (!ok) return Status::IoError("cannot read " + messagesPath_.string());
    if (!shown) return Status::NotFound("no bubble is shown");
    return db.prepare("DELETE FROM bubble WHERE slot = 1").run();
  });
  if (!s.ok()) return s;
  journal_.record("bubble-removed",
                  {JsonField::Text("title", shown->first), JsonField::Text("body", shown->second)});
  return Status::Ok();
}

SimMessaging& simMessaging(Device& device) {
  return dynamic_cast<SimMessaging&>(device.platform().messaging());
}

}  // namespace zelko::platform::sim
