// Answers waiting for the device's next dialogs, queued with `zelko-device ui`. They live
// in registry.db, so a test or a person can answer a dialog before or while it is open.
// Each dialog takes the oldest answer of its own kind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sim/db.h"
#include "platform/status.h"

namespace zelko::platform::sim {

enum class DialogKind { kQuestion, kMenu, kChooser };

// "question", "menu", "chooser": the names the queue and `zelko-device ui` show.
std::string_view dialogKindName(DialogKind kind);
// The kind a name stands for; nullopt for any other text.
std::optional<DialogKind> dialogKindFromName(std::string_view name);

class UiAnswers {
 public:
  explicit UiAnswers(Database& db) : db_(db) {}
  UiAnswers(const UiAnswers&) = delete;
  UiAnswers& operator=(const UiAnswers&) = delete;

  static Status createSchema(Database& db);

  // Queues `answer` behind the answers already waiting.
  Status push(DialogKind kind, std::string_view answer);
  // Removes and returns the oldest answer of `kind`, in one transaction, so two dialogs
  // open at once never take the same answer. nullopt when none waits.
  Result<std::optional<std::string>> take(DialogKind kind);
  // Every waiting answer, oldest first.
  Result<std::vector<std::pair<DialogKind, std::string>>> list();
  Status clear();

 private:
  Database& db_;
};

}  // namespace zelko::platform::sim
