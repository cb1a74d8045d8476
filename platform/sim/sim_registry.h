// The registry of the device, in registry.db. The notifying setter finds the watchers of
// a value inside the same transaction that changes it, and hands them to the notifier
// once the change is committed, so a watcher never hears of a change it cannot read yet.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/db.h"

namespace zelko::platform::sim {

// Who must hear of one committed change.
struct Watcher {
  int64_t id = 0;
  std::string address;
  uint64_t cookie = 0;
};
struct LaunchTarget {
  std::string name;
  std::string program;
  std::string params;
};
struct ChangeSet {
  std::vector<Watcher> watchers;
  std::vector<LaunchTarget> launches;
  bool empty() const { return watchers.empty() && launches.empty(); }
};

// "a\\b\" -> "a\b": no empty components.
std::string normalizeKey(std::string_view key);

class SimRegistry final : public Registry {
 public:
  using Deliver = std::function<void(const ChangeSet&)>;
  SimRegistry(Database& db, Deliver deliver) : db_(db), deliver_(std::move(deliver)) {}
  static Status createSchema(Database& db);

  bool keyExists(Root root, std::string_view key) override;
  Status createKey(Root root, std::string_view key) override;
  Result<RegValue> getValue(Root root, std::string_view key, std::string_view name) override;
  Status setValue(Root root, std::string_view key, std::string_view name,
                  const RegValue& value) override;
  Status deleteValue(Root root, std::string_view key, std::string_view name) override;
  Status deleteKey(Root root, std::string_view key) override;
  std::vector<std::string> subKeys(Root root, std::string_view key) override;
  std::vector<NamedValue> values(Root root, std::string_view key) override;

  // Runs `body`, whose changes through this registry then form one transaction: all of
  // them, or none when `body` fails, a change fails or the store refuses the commit (a
  // full disk). Watchers hear of the changes once they are committed. Other threads'
  // calls wait until it ends.
  Status transaction(const std::function<Status()>& body);

 private:
  // Hands committed changes to the notifier; inside a transaction keeps them for its end.
  void deliver(const ChangeSet& changes);
  Status ensureKey(int root, const std::string& path, const std::string& fold);
  void collect(int root, const std::string& keyFold, const std::string& nameFold, ChangeSet& out);

  Database& db_;
  Deliver deliver_;
  std::atomic<std::thread::id> transactionThread_{};
  ChangeSet pending_;  // of the open transaction
};

}  // namespace zelko::platform::sim
