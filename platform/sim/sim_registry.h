// The registry of the device, in registry.db. The notifying setter finds the watchers of
// a value inside the same transaction that changes it, and hands them to the notifier
// once the change is committed, so a watcher never hears of a change it cannot read yet.
#pragma once

#include <functional>
#include <optional>
#include <string>
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

  // A read-modify-write of one value in one transaction: `change` gets the value (nullopt
  // when missing) and gives the value to store, nullopt to leave it as it is, or an error
  // that rolls everything back. It runs inside the write transaction of the registry's
  // database, so it may read and write the other tables of that database (the device
  // settings, through DeviceSettings::setInTransaction) and have them commit together
  // with the value: a state value that mirrors a setting never disagrees with it. It must
  // not call the registry itself. Watchers are told as by setValue.
  using Change = std::function<Result<std::optional<RegValue>>(const std::optional<RegValue>&)>;
  Status update(Root root, std::string_view key, std::string_view name, const Change& change);

  // Runs `body`, whose changes through this registry then form one transaction: all of
  // them, or none when `body` fails, a change fails or the store refuses the commit (a
  // full disk). Watchers hear of the changes once they are committed. Other threads'
  // calls wait until it ends.
  Status transaction(const std::function<Status()>& body);

 private:
  Status ensureKey(int root, const std::string& path, const std::string& fold);
  // Adds who must hear of a change of that value.
  Status collect(int root, const std::string& keyFold, const std::string& nameFold, ChangeSet& out);
  // Hands `changes` to the notifier once the write that made them has committed.
  void deliverAfterCommit(ChangeSet changes);
  // Inside a write: stores the value (making its key unless `keyExists`: a value already
  // in the key says so) and collects its watchers.
  Status store(int r, const std::string& path, const std::string& keyFold,
               const std::string& nameFold, std::string_view name, const RegValue& value,
               bool keyExists);
  // The value as stored; nullopt when there is none.
  Result<std::optional<RegValue>> current(int root, const std::string& keyFold,
                                          const std::string& nameFold);

  Database& db_;
  Deliver deliver_;
};

}  // namespace zelko::platform::sim
