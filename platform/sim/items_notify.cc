// Change messages of the item store. A registration names the window and the process
// that owns it, so that a writer can skip its own windows (the phone tells a program only
// of changes others made) and drop registrations whose process is gone.
#include "platform/sim/log.h"
#include "platform/sim/items_store.h"

namespace zelko::platform::sim {
namespace {

struct Registration {
  WindowHandle window = 0;
  ProcessId owner;
};

bool sameProcess(const ProcessId& a, const ProcessId& b) {
  return a.pid == b.pid && a.startTime == b.startTime;
}

}  // namespace

Status SimItems::enableChangeNotifications(ItemFolder folder, WindowHandle window) {
  if (folder != ItemFolder::kCalendar && folder != ItemFolder::kContacts) {
    return Status::Invalid("no folder " + std::to_string(static_cast<int>(folder)));
  }
  std::optional<ProcessId> owner;
  {
    auto guard = registry_.lock();
    Statement& q = registry_.prepare("SELECT pid, start FROM windows WHERE hwnd = ?");
    q.bind(1, static_cast<int64_t>(window));
    if (q.step()) owner = ProcessId{static_cast<int>(q.columnInt(0)), static_cast<uint64_t>(q.columnInt(1))};
    q.reset();
  }
  if (!owner || !processAlive(*owner)) return Status::NotFound("no window " + std::to_string(window));
  auto d = db();
  if (!d.ok()) return d.status();
  Database& db = **d;
  return db.write([&] {
    return db.prepare("INSERT OR REPLACE INTO change_windows(folder, hwnd, pid, start) VALUES(?, ?, ?, ?)")
        .bind(1, static_cast<int64_t>(folder))
        .bind(2, static_cast<int64_t>(window))
        .bind(3, owner->pid)
        .bind(4, static_cast<int64_t>(owner->startTime))
        .run();
  });
}

void SimItems::announce(ItemFolder folder, uint32_t message) {
  auto d = db();
  if (!d.ok()) return;
  Database& db = **d;
  std::vector<Registration> registrations;
  {
    auto guard = db.lock();
    Statement& q = db.prepare("SELECT hwnd, pid, start FROM change_windows WHERE folder = ?");
    q.bind(1, static_cast<int64_t>(folder));
    while (q.step()) {
      registrations.push_back({static_cast<WindowHandle>(q.columnInt(0)),
                               {static_cast<int>(q.columnInt(1)), static_cast<uint64_t>(q.columnInt(2))}});
    }
    q.reset();
  }
  std::vector<WindowHandle> gone;
  for (const Registration& r : registrations) {
    if (sameProcess(r.owner, writer_)) continue;
    bool alive = processAlive(r.owner);
    // A live process may still have destroyed the window, and a window handle is never
    // given out twice, so NotFound means this registration is over.
    if (!alive || windows_.postMessage({r.window, message, 0, static_cast<int64_t>(folder)}).code() ==
                      Status::Code::kNotFound) {
      gone.push_back(r.window);
    }
  }
  if (gone.empty()) return;
  logFailure("cannot drop the change windows of ended programs", db.write([&] {
    for (WindowHandle w : gone) {
      Status s = db.prepare("DELETE FROM change_windows WHERE folder = ? AND hwnd = ?")
                     .bind(1, static_cast<int64_t>(folder))
                     .bind(2, static_cast<int64_t>(w))
                     .run();
      if (!s.ok()) return s;
    }
    return Status::Ok();
  }));
}

}  // namespace zelko::platform::sim
