// A thin SQLite layer with the settings every store of the device needs: WAL, a busy
// timeout set before anything else, and write transactions that take the write lock at
// once, so that many programs writing together wait for each other instead of failing.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/status.h"

namespace zelko::platform::sim {

class Database;

class Statement {
 public:
  // `stmt` is null for a statement that could not be prepared: it binds nothing, yields
  // no row and reports the preparation's error from status().
  Statement(Database& db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, int64_t value);
  Statement& bind(int index, std::string_view text);
  Statement& bindBlob(int index, std::string_view bytes);
  Statement& bindNull(int index);
  // true while a row is available; false when done. Errors end the walk (see status()):
  // a caller that tells "no row" from "no answer" looks there before reporting NotFound.
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
  // Ok, or the error of the last step (Busy when the store stayed locked, else IoError),
  // naming the store's file.
  Status status() const;

 private:
  friend class Database;
  Database& db_;
  sqlite3_stmt* stmt_;
  int rc_ = SQLITE_OK;
  std::string error_;  // kept from a failed preparation
};

class Database {
 public:
  // Opens (creating when `create`) the database file with the device's connection settings.
  static Result<std::unique_ptr<Database>> open(const std::filesystem::path& path, bool create);
  // Opens an existing store of the device that must hold `tables`: NotFound naming the
  // file when it is missing, IoError "<file> is damaged or not a device store" when it
  // is no database or lacks a table. Stores are made only when a device is created.
  static Result<std::unique_ptr<Database>> openStore(const std::filesystem::path& path,
                                                     std::initializer_list<const char*> tables);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Moves everything in the write-ahead log into the database file and empties the log,
  // so that the file alone holds the store (closing does not: the log outlives the
  // connection, and the next one reads it).
  Status checkpoint();
  // Runs one or more statements without results.
  Status exec(std::string_view sql);
  // A cached prepared statement, reset and ready for binding. Valid until the Database ends.
  // When the text cannot be prepared (a store damaged from outside lacks a table) the
  // statement fails on its first step with the reason; nothing aborts.
  Statement& prepare(std::string_view sql);
  // Runs `body` inside BEGIN IMMEDIATE ... COMMIT; rolls back when `body` returns an error.
  // Holds lock() throughout. A write inside another one's body joins it as a savepoint:
  // its error undoes only its own part, and everything commits with the outer write, so
  // that several changes (a setting and the state value that mirrors it) are one
  // transaction.
  Status write(const std::function<Status()>& body);
  // Runs `body` inside one read transaction (BEGIN ... COMMIT), so that many reads see one
  // state of the store and take its locks once. Holds lock() throughout; inside a write,
  // joins it.
  Status read(const std::function<Status()>& body);
  // For a write that is often not needed: runs `settled` in a transaction that starts as
  // a read, and ends there without the write lock when it says true (nothing to change);
  // else runs `body` in the same transaction, which takes the write lock then. When
  // another writer came first, starts again as write(). Otherwise as write().
  Status writeUnlessSettled(const std::function<Result<bool>()>& settled,
                            const std::function<Status()>& body);
  // Inside write(): runs `then` once the outermost write has committed, outside lock();
  // dropped when the part of the write that asked for it is rolled back. Outside a
  // write, runs it at once.
  void afterCommit(std::function<void()> then);
  // The connection and its cached statements serve one thread at a time, and a statement
  // is in use from its prepare() to its reset(): a read outside write() holds this lock
  // across that whole use. The lock may be taken again by the thread that holds it.
  std::unique_lock<std::recursive_mutex> lock() { return std::unique_lock(mutex_); }
  int64_t lastInsertId();
  int changes();
  sqlite3* handle() { return db_; }
  const std::filesystem::path& path() const { return path_; }
  // The connection's last error as a Status naming the store's file: Busy for a store
  // that stayed locked, IoError otherwise.
  Status error(std::string_view what);

 private:
  // The outermost transaction (BEGIN IMMEDIATE, or a deferred BEGIN), or a nested part.
  Status transact(bool immediate, const std::function<Status()>& body);
  Status writeNested(const std::function<Status()>& body);
  // Runs a transaction statement (BEGIN, COMMIT, SAVEPOINT ...) from the statement cache:
  // every write runs several, and parsing them each time costs more than their work.
  // SQLITE_OK or the step's error code; the connection keeps the error's message.
  int control(const char* sql);
  Database(sqlite3* db, std::filesystem::path path) : db_(db), path_(std::move(path)) {}
  sqlite3* db_;
  std::filesystem::path path_;
  std::recursive_mutex mutex_;
  std::unique_ptr<Statement> failed_;  // what prepare() hands out for a text it cannot prepare
  int depth_ = 0;                                // nesting of write() calls
  std::vector<std::function<void()>> committed_;  // afterCommit() work of the open write
  std::unordered_map<std::string, std::pair<sqlite3_stmt*, std::unique_ptr<Statement>>> cache_;
};

}  // namespace zelko::platform::sim
