// The journal kept in the device's journal.db.
#pragma once

#include <memory>

#include "platform/clock.h"
#include "platform/sim/db.h"
#include "platform/sim/journal.h"

namespace zelko::platform::sim {

class SimJournal final : public Journal {
 public:
  SimJournal(std::unique_ptr<Database> db, Clock& clock);
  static Status createSchema(Database& db);

  using Journal::record;
  int64_t record(std::string_view event, const std::vector<JsonField>& fields) override;
  void amend(int64_t seq, const std::vector<JsonField>& fields) override;
  std::vector<JournalEntry> read(int64_t afterSeq) override;

 private:
  std::unique_ptr<Database> db_;
  Clock& clock_;
};

}  // namespace zelko::platform::sim
