// The journal kept in the device's journal.db.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/clock.h"
#include "platform/sim/db.h"
#include "platform/sim/journal.h"

namespace zelko::platform::sim {

class SimJournal final : public Journal {
 public:
  // Keeps the newest `limit` events: each write drops those past it in its own
  // transaction, so the journal of a device that runs for months stays the same size.
  // `path` (journal.db) is opened at the first event written or read, so a program that
  // journals nothing never opens it; a store found damaged then is logged, like any
  // event that could not be written.
  SimJournal(std::filesystem::path path, Clock& clock, int64_t limit = kDefaultJournalLimit);
  static Status createSchema(Database& db);

  using Journal::record;
  int64_t record(std::string_view event, const std::vector<JsonField>& fields) override;
  void amend(int64_t seq, const std::vector<JsonField>& fields) override;
  std::vector<JournalEntry> read(int64_t afterSeq) override;

 private:
  Result<Database*> db();

  std::filesystem::path path_;
  std::mutex openMutex_;
  std::unique_ptr<Database> db_;
  Clock& clock_;
  int64_t limit_;
};

}  // namespace zelko::platform::sim
