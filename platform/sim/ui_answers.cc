#include "platform/sim/ui_answers.h"

namespace zelko::platform::sim {
namespace {

constexpr char kAnswersSchema[] =
    "CREATE TABLE IF NOT EXISTS ui_answers(seq INTEGER PRIMARY KEY AUTOINCREMENT,"
    " kind TEXT NOT NULL, answer TEXT NOT NULL)";

}  // namespace

std::string_view dialogKindName(DialogKind kind) {
  switch (kind) {
    case DialogKind::kQuestion: return "question";
    case DialogKind::kMenu: return "menu";
    case DialogKind::kChooser: return "chooser";
  }
  return "";
}

std::optional<DialogKind> dialogKindFromName(std::string_view name) {
  for (DialogKind k : {DialogKind::kQuestion, DialogKind::kMenu, DialogKind::kChooser}) {
    if (dialogKindName(k) == name) return k;
  }
  return std::nullopt;
}

// Devices made before the queue existed get its table on first use; on any other device
// the statement changes nothing.
Status UiAnswers::createSchema(Database& db) { return db.exec(kAnswersSchema); }

Status UiAnswers::push(DialogKind kind, std::string_view answer) {
  if (Status s = createSchema(db_); !s.ok()) return s;
  return db_.write([&] {
    return db_.prepare("INSERT INTO ui_answers(kind, answer) VALUES(?1, ?2)")
        .bind(1, dialogKindName(kind))
        .bind(2, answer)
        .run();
  });
}

Result<std::optional<std::string>> UiAnswers::take(DialogKind kind) {
  if (Status s = createSchema(db_); !s.ok()) return s;
  std::optional<std::string> answer;
  Status s = db_.write([&] {
    Statement& pick = db_.prepare(
        "SELECT seq, answer FROM ui_answers WHERE kind = ?1 ORDER BY seq LIMIT 1");
    pick.bind(1, dialogKindName(kind));
    if (!pick.step()) {
      Status walked = pick.ok() ? Status::Ok() : Status::IoError("cannot read the queued answers");
      pick.reset();
      return walked;
    }
    int64_t seq = pick.columnInt(0);
    answer = pick.columnText(1);
    pick.reset();
    return db_.prepare("DELETE FROM ui_answers WHERE seq = ?1").bind(1, seq).run();
  });
  if (!s.ok()) return s;
  return answer;
}

Result<std::vector<std::pair<DialogKind, std::string>>> UiAnswers::list() {
  if (Status s = createSchema(db_); !s.ok()) return s;
  auto guard = db_.lock();
  std::vector<std::pair<DialogKind, std::string>> out;
  Statement& all = db_.prepare("SELECT kind, answer FROM ui_answers ORDER BY seq");
  while (all.step()) {
    if (auto kind = dialogKindFromName(all.columnText(0))) out.emplace_back(*kind, all.columnText(1));
  }
  bool ok = all.ok();
  all.reset();
  if (!ok) return Status::IoError("cannot read the queued answers");
  return out;
}

Status UiAnswers::clear() {
  if (Status s = createSchema(db_); !s.ok()) return s;
  return db_.write([&] { return db_.prepare("DELETE FROM ui_answers").run(); });
}

}  // namespace zelko::platform::sim
