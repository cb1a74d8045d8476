#include "platform/sim/ui_host.h"

#include <thread>

#include "platform/sim/log.h"

namespace zelko::platform::sim {
namespace {

constexpr char kDialogsSchema[] =
    "CREATE TABLE IF NOT EXISTS ui_dialogs(id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " kind TEXT NOT NULL, body TEXT NOT NULL, pid INTEGER NOT NULL, start INTEGER NOT NULL,"
    " answer TEXT)";

// How often a program whose dialog the host shows looks for the answer.
constexpr std::chrono::milliseconds kAnswerLook{40};

}  // namespace

// Made on first use, like the answer queue: devices made before it get it then.
Status UiHost::createSchema(Database& db) { return db.exec(kDialogsSchema); }

WindowHandle UiHost::connected() {
  WindowHandle host = windows_.findWindow(kUiHostClass);
  if (host == 0) return 0;
  Result<int64_t> browsers = windows_.sendMessage({host, kWmUiHostBrowsers, 0, 0});
  return browsers.ok() && *browsers > 0 ? host : 0;
}

std::optional<std::string> UiHost::ask(WindowHandle host, DialogKind kind, const std::string& body,
                                       std::chrono::milliseconds limit,
                                       const std::function<std::optional<std::string>()>& queued) {
  Result<int64_t> id = record(kind, body);
  if (!id.ok()) {
    logFailure("cannot show a dialog in the home screen's browser", id.status());
    return std::nullopt;
  }
  tell(host);
  std::optional<std::string> answer;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!answer) {
    answer = queued();
    if (answer) break;
    Result<std::optional<std::string>> given = answerOf(*id);
    if (!given.ok()) {
      logFailure("cannot read the answer of a dialog", given.status());
      break;
    }
    answer = *given;
    auto left = deadline - std::chrono::steady_clock::now();
    if (answer || left <= decltype(left)::zero()) break;
    std::this_thread::sleep_for(std::min<decltype(left)>(left, kAnswerLook));
  }
  remove(*id);
  tell(host);
  return answer;
}

Result<int64_t> UiHost::record(DialogKind kind, const std::string& body) {
  if (Status s = createSchema(db_); !s.ok()) return s;
  int64_t id = 0;
  Status s = db_.write([&] {
    Status e = db_.prepare("INSERT INTO ui_dialogs(kind, body, pid, start) VALUES(?1, ?2, ?3, ?4)")
                   .bind(1, dialogKindName(kind))
                   .bind(2, body)
                   .bind(3, self_.pid)
                   .bind(4, static_cast<int64_t>(self_.startTime))
                   .run();
    id = db_.lastInsertId();
    return e;
  });
  if (!s.ok()) return s;
  return id;
}

Result<std::optional<std::string>> UiHost::answerOf(int64_t id) {
  auto guard = db_.lock();
  Statement& q = db_.prepare("SELECT answer FROM ui_dialogs WHERE id = ?1 AND answer IS NOT NULL");
  q.bind(1, id);
  std::optional<std::string> answer;
  if (q.step()) answer = q.columnText(0);
  Status s = q.status();
  q.reset();
  if (!s.ok()) return s;
  return answer;
}

void UiHost::remove(int64_t id) {
  logFailure("cannot close a dialog of the home screen's browser", db_.write([&] {
    return db_.prepare("DELETE FROM ui_dialogs WHERE id = ?1").bind(1, id).run();
  }));
}

void UiHost::tell(WindowHandle host) {
  Status s = windows_.postMessage({host, kWmUiHostDialogs, 0, 0});
  // A host that went away meanwhile is no failure: the dialog waits out its limit.
  if (s.code() != Status::Code::kNotFound) logFailure("cannot tell the home screen's browser", s);
}

Result<std::vector<OpenDialog>> UiHost::openDialogs() {
  if (Status s = createSchema(db_); !s.ok()) return s;
  std::vector<OpenDialog> out;
  std::vector<int64_t> orphans;
  {
    auto guard = db_.lock();
    Statement& q = db_.prepare("SELECT id, kind, body, pid, start FROM ui_dialogs ORDER BY id");
    while (q.step()) {
      ProcessId owner{static_cast<int>(q.columnInt(3)), static_cast<uint64_t>(q.columnInt(4))};
      std::optional<DialogKind> kind = dialogKindFromName(q.columnText(1));
      if (!kind || !processAlive(owner)) {
        orphans.push_back(q.columnInt(0));
        continue;
      }
      out.push_back({q.columnInt(0), *kind, q.columnText(2)});
    }
    Status s = q.status();
    q.reset();
    if (!s.ok()) return s;
  }
  // A program killed while its dialog was open leaves its row behind.
  for (int64_t id : orphans) remove(id);
  return out;
}

Status UiHost::answer(int64_t id, std::string_view text) {
  if (Status s = createSchema(db_); !s.ok()) return s;
  bool taken = false;
  Status s = db_.write([&] {
    Status e = db_.prepare("UPDATE ui_dialogs SET answer = ?2 WHERE id = ?1 AND answer IS NULL")
                   .bind(1, id)
                   .bind(2, text)
                   .run();
    taken = db_.changes() > 0;
    return e;
  });
  if (!s.ok()) return s;
  return taken ? Status::Ok() : Status::NotFound("dialog " + std::to_string(id) + " is not open");
}

}  // namespace zelko::platform::sim
