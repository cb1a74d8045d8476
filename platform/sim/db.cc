#include "platform/sim/db.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace zelko::platform::sim {
namespace {

// Long enough that a program never sees "database is locked" while others write, short
// enough that a stuck store shows up as an error rather than a hang.
constexpr int kBusyTimeoutMs = 30000;

Status sqliteError(sqlite3* db, std::string_view what) {
  return Status::IoError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

Statement& Statement::bind(int index, int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
  // An empty view may carry no pointer at all; SQLite would store that as NULL, which
  // is not the empty text the caller meant (the unnamed value, an untitled window).
  sqlite3_bind_text(stmt_, index, text.data() ? text.data() : "", static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
  // A zero-length blob must still be a blob, not NULL.
  sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : bytes.data(),
                    static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bindNull(int index) {
  sqlite3_bind_null(stmt_, index);
  return *this;
}

bool Statement::step() {
  rc_ = sqlite3_step(stmt_);
  return rc_ == SQLITE_ROW;
}

Status Statement::run() {
  while (step()) {
  }
  Status s = ok() ? Status::Ok() : sqliteError(db_, "statement failed");
  reset();
  return s;
}

int64_t Statement::columnInt(int col) { return sqlite3_column_int64(stmt_, col); }

std::string Statement::columnText(int col) {
  const unsigned char* t = sqlite3_column_text(stmt_, col);
  return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(stmt_, col))
           : std::string();
}

std::string Statement::columnBlob(int col) {
  const void* b = sqlite3_column_blob(stmt_, col);
  return b ? std::string(static_cast<const char*>(b), sqlite3_column_bytes(stmt_, col))
           : std::string();
}

bool Statement::columnIsNull(int col) { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  rc_ = SQLITE_OK;
}

Result<std::unique_ptr<Database>> Database::open(const std::filesystem::path& path, bool create) {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    Status s = sqliteError(db, "cannot open " + path.string());
    sqlite3_close(db);
    return s;
  }
  std::unique_ptr<Database> out(new Database(db));
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  Status s = out->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
  if (!s.ok()) return s;
  return out;
}

Database::~Database() {
  for (auto& [sql, entry] : cache_) sqlite3_finalize(entry.first);
  sqlite3_close(db_);
}

Status Database::exec(std::string_view sql) {
  auto guard = lock();
  std::string text(sql);
  char* err = nullptr;
  int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &err);
  if (rc == SQLITE_OK) return Status::Ok();
  Status s = Status::IoError(err ? err : sqlite3_errmsg(db_));
  sqlite3_free(err);
  return s;
}

Statement& Database::prepare(std::string_view sql) {
  std::string key(sql);
  auto it = cache_.find(key);
  if (it != cache_.end()) {
    it->second.second->reset();
    return *it->second.second;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, key.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
      SQLITE_OK) {
    // Statements are fixed texts of this library: a failure is a programming error.
    std::fprintf(stderr, "zelko: bad SQL %s: %s\n", key.c_str(), sqlite3_errmsg(db_));
    std::abort();
  }
  auto& entry = cache_[key];
  entry.first = stmt;
  entry.second = std::make_unique<Statement>(db_, stmt);
  return *entry.second;
}

Status Database::write(const std::function<Status()>& body) {
  auto guard = lock();
  // Inside a transaction of this same thread (the lock keeps every other thread out):
  // the body becomes part of it.
  if (writeDepth_ > 0) return body();
  // BEGIN IMMEDIATE waits through the busy timeout; in the rare case it still reports busy
  // (a checkpoint racing a writer) try again rather than hand the error to a program.
  int attempts = 0;
  for (;;) {
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) break;
    if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || ++attempts > 100) {
      return sqliteError(db_, "cannot begin a write");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Status s;
  ++writeDepth_;
  try {
    s = body();
  } catch (...) {
    --writeDepth_;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);  // never leave a transaction open
    throw;
  }
  --writeDepth_;
  if (!s.ok()) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return s;
  }
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Status err = sqliteError(db_, "cannot commit");
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return err;
  }
  return Status::Ok();
}

int64_t Database::lastInsertId() { return sqlite3_last_insert_rowid(db_); }
int Database::changes() { return sqlite3_changes(db_); }

}  // namespace zelko::platform::sim
