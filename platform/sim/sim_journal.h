// The journal kept in the device's journal.db.
#pragma once

#include <memory>

#include "platform/clock.h"
#include "platform/sim/db.h"
#include "platform/sim/journal.h"

namespace zelko::platform::sim {

class SimJournal final : public Journal {
 public:
  // Keeps the newest `limit` events: each write drops those past it in its own
  // transaction, so the journal of a device that runs for months stays the same size.
  SimJournal(std::unique_ptr<Database> db, Clock& clock, int64_t limit = kDefaultJournalLimit);
  static Status createSchema(Database& db);

  using Journal::record;
  int64_t record(std::string_view event, const std::vector<JsonField>& fields) override;
  void amend(int64_t seq, const std::vector<JsonField>& fields) override;
  std::vector<JournalEntry> read(int64_t afterSeq) override;

 private:
  std::unique_ptr<Database> db_;
  Clock& clock_;
  int64_t limit_;
};

}  // namespace zelko::platform::sim
