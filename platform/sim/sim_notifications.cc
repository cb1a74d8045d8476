#include "platform/sim/sim_notifications.h"

#include <set>

#include "platform/sim/log.h"
#include "platform/sim/process_rows.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

int rootId(Root r) { return r == Root::kLocalMachine ? 0 : 1; }

}  // namespace

SimNotifications::~SimNotifications() {
  // Registrations end with the process; remove ours so writers need not find that out.
  if (callbacks_.empty()) return;
  logFailure("cannot remove the change callbacks", db_.write([&] {
    for (const auto& entry : callbacks_) {
      Status s = db_.prepare("DELETE FROM watches WHERE id = ?").bind(1, int64_t(entry.first)).run();
      if (!s.ok()) return s;
    }
    return Status::Ok();
  }));
}

Result<NotificationHandle> SimNotifications::registerCallback(const ValueRef& value,
                                                              ChangeCallback callback) {
  MessageQueue* queue = runtime_.queue();
  if (!queue) return Status::IoError("this program has no message queue");
  int64_t id = 0;
  Status s = db_.write([&] {
    Status e = db_.prepare("INSERT INTO watches(root, keyfold, namefold, address, cookie)"
                           " VALUES(?, ?, ?, ?, 0)")
                   .bind(1, rootId(value.root))
                   .bind(2, foldCase(normalizeKey(value.key)))
                   .bind(3, foldCase(value.name))
                   .bind(4, queue->address())
                   .run();
    id = db_.lastInsertId();
    if (!e.ok()) return e;
    return db_.prepare("UPDATE watches SET cookie = id WHERE id = ?").bind(1, id).run();
  });
  if (!s.ok()) return s;
  callbacks_[static_cast<uint64_t>(id)] = std::move(callback);
  return static_cast<NotificationHandle>(id);
}

void SimNotifications::close(NotificationHandle handle) {
  if (callbacks_.erase(handle) == 0) return;
  // A row left behind only costs its writers a packet to a queue that ignores it.
  logFailure("cannot remove a change callback", db_.write([&] {
    return db_.prepare("DELETE FROM watches WHERE id = ?").bind(1, static_cast<int64_t>(handle)).run();
  }));
}

Status SimNotifications::registerLaunch(const LaunchRegistration& launch) {
  if (launch.name.empty()) return Status::Invalid("a launch notification needs a name");
  if (launch.program.empty()) return Status::Invalid("a launch notification needs a program");
  std::string key = normalizeKey(launch.value.key);
  return db_.write([&] {
    return db_.prepare(
                  "INSERT OR REPLACE INTO launches(namefold, name, root, key, value, keyfold,"
                  " valuefold, program, params) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bind(1, foldCase(launch.name))
        .bind(2, launch.name)
        .bind(3, rootId(launch.value.root))
        .bind(4, key)
        .bind(5, launch.value.name)
        .bind(6, foldCase(key))
        .bind(7, foldCase(launch.value.name))
        .bind(8, launch.program)
        .bind(9, launch.params)
        .run();
  });
}

Status SimNotifications::stopLaunch(std::string_view name) {
  bool found = false;
  Status s = db_.write([&] {
    Status e = db_.prepare("DELETE FROM launches WHERE namefold = ?").bind(1, foldCase(name)).run();
    found = db_.changes() > 0;
    return e;
  });
  if (!s.ok()) return s;
  return found ? Status::Ok() : Status::NotFound("no launch notification " + std::string(name));
}

std::vector<LaunchRegistration> SimNotifications::launches() {
  std::vector<LaunchRegistration> out;
  auto guard = db_.lock();
  Statement& q = db_.prepare(
      "SELECT name, root, key, value, program, params FROM launches ORDER BY namefold");
  while (q.step()) {
    LaunchRegistration l;
    l.name = q.columnText(0);
    l.value.root = q.columnInt(1) == 0 ? Root::kLocalMachine : Root::kCurrentUser;
    l.value.key = q.columnText(2);
    l.value.name = q.columnText(3);
    l.program = q.columnText(4);
    l.params = q.columnText(5);
    out.push_back(std::move(l));
  }
  q.reset();
  return out;
}

void SimNotifications::deliver(const ChangeSet& changes) {
  std::set<std::string> dead;
  for (const auto& w : changes.watchers) {
    if (dead.count(w.address)) continue;
    Packet p;
    p.kind = Packet::kNotify;
    p.id = w.cookie;
    Status s = MessageQueue::sendTo(w.address, p);
    if (s.code() == Status::Code::kNotFound) {
      dead.insert(w.address);  // the process ended without closing its registrations
    } else {
      logFailure("cannot notify a change", s);
    }
  }
  for (const std::string& address : dead) {
    logFailure("cannot drop the rows of an ended program", forgetProcess(db_, address));
  }
  for (const auto& l : changes.launches) {
    ExecRequest r;
    r.file = l.program;
    r.params = l.params.empty() ? l.name : l.params + " " + l.name;
    // The writer goes on; the failed start is in the journal and here.
    logFailure("launch notification " + l.name, shell_.execute(r).status());
  }
}

void SimNotifications::dispatch(uint64_t cookie) {
  auto it = callbacks_.find(cookie);
  if (it == callbacks_.end()) return;  // closed after the change was sent
  ChangeCallback cb = it->second;      // the callback may close itself
  cb();
}

}  // namespace zelko::platform::sim
