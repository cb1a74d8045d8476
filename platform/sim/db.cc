#include "platform/sim/db.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

namespace zelko::platform::sim {
namespace {

// Long enough that a program never sees "database is locked" while others write, short
// enough that a stuck store shows up as an error rather than a hang.
constexpr int kBusyTimeoutMs = 30000;

// The most of its write-ahead log a store keeps between programs. A log grown past it by a
// large write is checkpointed and emptied by the last program to close the store, and cut
// back to it when it starts over, so that the next program does not read it all back.
constexpr int64_t kKeptLogBytes = 1 << 20;

bool isBusy(int rc) {
  int primary = rc & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

std::string damagedStore(const std::filesystem::path& path) {
  return path.string() + " is damaged or not a device store";
}

// One line naming the store's file: what failed, and why.
Status storeError(const std::filesystem::path& path, int rc, std::string_view what,
                  std::string_view why) {
  int primary = rc & 0xff;
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
    return Status::IoError(damagedStore(path) + " (" + std::string(why) + ")");
  }
  std::string m = path.string() + ": " + std::string(what) + ": " + std::string(why);
  return isBusy(rc) ? Status::Busy(std::move(m)) : Status::IoError(std::move(m));
}

bool hasDatabaseHeader(const std::filesystem::path& path) {
  static constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero
  char head[sizeof kMagic] = {};
  std::ifstream in(path, std::ios::binary);
  return in.read(head, sizeof head) && std::memcmp(head, kMagic, sizeof kMagic) == 0;
}

}  // namespace

Statement& Statement::bind(int index, int64_t value) {
  if (stmt_) sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
  // An empty view may carry no pointer at all; SQLite would store that as NULL, which
  // is not the empty text the caller meant (the unnamed value, an untitled window).
  if (stmt_) {
    sqlite3_bind_text(stmt_, index, text.data() ? text.data() : "", static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
  }
  return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
  // A zero-length blob must still be a blob, not NULL.
  if (stmt_) {
    sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : bytes.data(),
                      static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  }
  return *this;
}

Statement& Statement::bindNull(int index) {
  if (stmt_) sqlite3_bind_null(stmt_, index);
  return *this;
}

bool Statement::step() {
  if (!stmt_) return false;
  rc_ = sqlite3_step(stmt_);
  if (!ok()) error_ = sqlite3_errmsg(db_.handle());
  return rc_ == SQLITE_ROW;
}

Status Statement::status() const {
  if (ok()) return Status::Ok();
  return storeError(db_.path(), rc_, "statement failed", error_);
}

Status Statement::run() {
  while (step()) {
  }
  Status s = status();
  reset();
  return s;
}

int64_t Statement::columnInt(int col) { return stmt_ ? sqlite3_column_int64(stmt_, col) : 0; }

std::string Statement::columnText(int col) {
  const unsigned char* t = stmt_ ? sqlite3_column_text(stmt_, col) : nullptr;
  return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(stmt_, col))
           : std::string();
}

std::string Statement::columnBlob(int col) {
  const void* b = stmt_ ? sqlite3_column_blob(stmt_, col) : nullptr;
  return b ? std::string(static_cast<const char*>(b), sqlite3_column_bytes(stmt_, col))
           : std::string();
}

bool Statement::columnIsNull(int col) {
  return !stmt_ || sqlite3_column_type(stmt_, col) == SQLITE_NULL;
}

void Statement::reset() {
  if (!stmt_) return;  // a failed preparation keeps its error for every use
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  rc_ = SQLITE_OK;
  error_.clear();
}

Result<std::unique_ptr<Database>> Database::open(const std::filesystem::path& path, bool create) {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    Status s = storeError(path, rc, "cannot open", db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return s;
  }
  std::unique_ptr<Database> out(new Database(db, path));
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // Programs of the device start and end all the time. The last one to close a store
  // would checkpoint it, sync it and delete its -wal and -shm files, and the next one
  // would make them again and sync the folder: most of what a short program costs. The
  // log stays instead; the automatic checkpoint after a commit still bounds it, and in
  // WAL mode a log that outlives its writer is as safe against a crash of the program as
  // one that is checkpointed (a crash of the host may lose the newest commits, never
  // leave a half-written store).
  sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  int persist = 1;
  sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
  // The automatic checkpoint stays at SQLite's 1,000 pages: more often would put its two
  // disk flushes in the middle of more of the programs' writes; less often would make the
  // first program to open a store that nobody holds open read a longer log back.
  Status s = out->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=1000;"
                       " PRAGMA journal_size_limit=" + std::to_string(kKeptLogBytes));
  if (!s.ok()) return s;
  return out;
}

Result<std::unique_ptr<Database>> Database::openStore(const std::filesystem::path& path,
                                                      std::initializer_list<const char*> tables) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    return Status::NotFound(path.string() + " is missing (a device's stores are made by init)");
  }
  // An empty file would pass for an empty database, and opening it would make it one.
  if (std::filesystem::file_size(path, ec) == 0 && !ec) {
    return Status::IoError(damagedStore(path) + " (the file is empty)");
  }
  // The log of a store outlives the programs that wrote it, and SQLite reads a page from
  // the log before the file: a file overwritten from outside would pass for the store
  // its log belonged to. Its header tells.
  if (!hasDatabaseHeader(path)) {
    return Status::IoError(damagedStore(path) + " (file is not a database)");
  }
  auto opened = Database::open(path, false);
  if (!opened.ok()) return opened.status();
  Database& db = **opened;
  auto guard = db.lock();
  Statement& q = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
  for (const char* table : tables) {
    bool found = q.bind(1, std::string_view(table)).step();
    Status s = q.status();
    q.reset();
    if (!s.ok()) return s;
    if (!found) return Status::IoError(damagedStore(path) + " (no table " + table + ")");
  }
  return std::move(*opened);
}

Status Database::checkpoint() {
  auto guard = lock();
  int logged = 0, copied = 0;
  int rc = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &logged, &copied);
  if (rc != SQLITE_OK) return error("cannot checkpoint");
  return Status::Ok();
}

Database::~Database() {
  std::error_code ec;
  auto logBytes = std::filesystem::file_size(path_.string() + "-wal", ec);
  if (!ec && logBytes > static_cast<uintmax_t>(kKeptLogBytes)) {
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
  }
  for (auto& [sql, entry] : cache_) sqlite3_finalize(entry.first);
  sqlite3_close(db_);
}

Status Database::error(std::string_view what) {
  return storeError(path_, sqlite3_extended_errcode(db_), what, sqlite3_errmsg(db_));
}

Status Database::exec(std::string_view sql) {
  auto guard = lock();
  std::string text(sql);
  char* err = nullptr;
  int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &err);
  if (rc == SQLITE_OK) return Status::Ok();
  Status s = storeError(path_, rc, "cannot run a statement", err ? err : sqlite3_errmsg(db_));
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
    // The texts are this library's own, so the store is at fault (damaged, or not one of
    // ours): the statement reports it when used, and a later call tries again.
    sqlite3_finalize(stmt);
    if (!failed_) failed_ = std::make_unique<Statement>(*this, nullptr);
    failed_->rc_ = sqlite3_extended_errcode(db_);
    if (failed_->ok()) failed_->rc_ = SQLITE_ERROR;
    failed_->error_ = sqlite3_errmsg(db_);
    return *failed_;
  }
  auto& entry = cache_[key];
  entry.first = stmt;
  entry.second = std::make_unique<Statement>(*this, stmt);
  return *entry.second;
}

int Database::control(const char* sql) {
  Statement& s = prepare(sql);
  s.step();
  int rc = s.rc_ == SQLITE_DONE ? SQLITE_OK : s.rc_;
  s.reset();
  return rc;
}

Status Database::transact(bool immediate, const std::function<Status()>& body) {
  std::vector<std::function<void()>> then;
  {
    auto guard = lock();
    if (depth_ > 0) return writeNested(body);
    // BEGIN IMMEDIATE waits through the busy timeout; in the rare case it still reports
    // busy (a checkpoint racing a writer) try again rather than hand the error to a program.
    int attempts = 0;
    for (;;) {
      int rc = control(immediate ? "BEGIN IMMEDIATE" : "BEGIN");
      if (rc == SQLITE_OK) break;
      if (!isBusy(rc) || ++attempts > 100) return error("cannot begin a transaction");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    depth_ = 1;
    Status s = body();
    depth_ = 0;
    if (s.ok() && control("COMMIT") != SQLITE_OK) {
      s = error("cannot commit");
    }
    then.swap(committed_);
    if (!s.ok()) {
      control("ROLLBACK");
      return s;
    }
  }
  for (auto& f : then) f();
  return Status::Ok();
}

Status Database::write(const std::function<Status()>& body) { return transact(true, body); }

Status Database::read(const std::function<Status()>& body) { return transact(false, body); }

Status Database::writeUnlessSettled(const std::function<Result<bool>()>& settled,
                                   const std::function<Status()>& body) {
  auto whole = [&]() -> Status {
    auto done = settled();
    if (!done.ok()) return done.status();
    return *done ? Status::Ok() : body();
  };
  // Nested only inside a write of this very thread: one that holds the lock already.
  bool nested = false;
  if (std::unique_lock own(mutex_, std::try_to_lock); own.owns_lock()) nested = depth_ > 0;
  Status s = transact(false, whole);
  // A read cannot become a write once another writer has changed what it read: start
  // again holding the write lock from the outset.
  if (s.code() == Status::Code::kBusy && !nested) return transact(true, whole);
  return s;
}

Status Database::writeNested(const std::function<Status()>& body) {
  if (control("SAVEPOINT part") != SQLITE_OK) {
    return error("cannot begin a part of a write");
  }
  size_t pending = committed_.size();
  ++depth_;
  Status s = body();
  --depth_;
  if (!s.ok()) {
    control("ROLLBACK TO part");
    committed_.resize(pending);
  }
  control("RELEASE part");
  return s;
}

void Database::afterCommit(std::function<void()> then) {
  auto guard = lock();
  if (depth_ == 0) {
    guard.unlock();
    then();
    return;
  }
  committed_.push_back(std::move(then));
}

int64_t Database::lastInsertId() { return sqlite3_last_insert_rowid(db_); }
int Database::changes() { return sqlite3_changes(db_); }

}  // namespace zelko::platform::sim
