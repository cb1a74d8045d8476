// A thin SQLite layer with the settings every store of the device needs: WAL, a busy
// timeout set before anything else, and write transactions that take the write lock at
// once, so that many programs writing together wait for each other instead of failing.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/status.h"

namespace zelko::platform::sim {

class Statement {
 public:
  Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, int64_t value);
  Statement& bind(int index, std::string_view text);
  Statement& bindBlob(int index, std::string_view bytes);
  Statement& bindNull(int index);
  // true while a row is available; false when done. Errors end the walk (see ok()).
  bool step();
  // Runs to completion; the status of the last step.
  Status run();
  int64_t columnInt(int col);
  std::string columnText(int col);
  std::string columnBlob(int col);
  bool columnIsNull(int col);
  // Clears bindings and rewinds, ready for the next use. Done automatically on reuse.
  void reset();
  bool ok() const { return rc_ == SQLITE_OK || rc_ == SQLITE_ROW || rc_ == SQLITE_DONE; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  int rc_ = SQLITE_OK;
};

class Database {
 public:
  // Opens (creating when `create`) the database file with the device's connection settings.
  static Result<std::unique_ptr<Database>> open(const std::filesystem::path& path, bool create);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Runs one or more statements without results.
  Status exec(std::string_view sql);
  // A cached prepared statement, reset and ready for binding. Valid until the Database ends.
  Statement& prepare(std::string_view sql);
  // Runs `body` inside BEGIN IMMEDIATE ... COMMIT; rolls back when `body` returns an error.
  // Holds lock() throughout. Called from inside `body`, it runs its own body as part of
  // the transaction already open: an error of it must end the outer body too.
  Status write(const std::function<Status()>& body);
  // The connection and its cached statements serve one thread at a time, and a statement
  // is in use from its prepare() to its reset(): a read outside write() holds this lock
  // across that whole use. The lock may be taken again by the thread that holds it.
  std::unique_lock<std::recursive_mutex> lock() { return std::unique_lock(mutex_); }
  int64_t lastInsertId();
  int changes();
  sqlite3* handle() { return db_; }

 private:
  explicit Database(sqlite3* db) : db_(db) {}
  sqlite3* db_;
  std::recursive_mutex mutex_;
  int writeDepth_ = 0;  // write() calls open on the thread that holds mutex_
  std::unordered_map<std::string, std::pair<sqlite3_stmt*, std::unique_ptr<Statement>>> cache_;
};

}  // namespace zelko::platform::sim
