// Change callbacks and persistent launches. Registrations live in registry.db so that
// any writing process finds them; callbacks reach their process as queue packets.
#pragma once

#include <unordered_map>

#include "platform/notifications.h"
#include "platform/shell.h"
#include "platform/sim/db.h"
#include "platform/sim/runtime.h"
#include "platform/sim/sim_registry.h"

namespace zelko::platform::sim {

class SimNotifications final : public Notifications {
 public:
  SimNotifications(Database& db, Runtime& runtime, Shell& shell)
      : db_(db), runtime_(runtime), shell_(shell) {}
  ~SimNotifications() override;

  Result<NotificationHandle> registerCallback(const ValueRef& value,
                                              ChangeCallback callback) override;
  void close(NotificationHandle handle) override;
  Status registerLaunch(const LaunchRegistration& launch) override;
  Status stopLaunch(std::string_view name) override;
  std::vector<LaunchRegistration> launches() override;

  // Tells everyone in `changes`: a packet to each watcher's queue, a start of each launch.
  void deliver(const ChangeSet& changes);
  // Runs the callback of a registration of this process (from the message loop).
  void dispatch(uint64_t cookie);

 private:
  Database& db_;
  Runtime& runtime_;
  Shell& shell_;
  std::unordered_map<uint64_t, ChangeCallback> callbacks_;
};

}  // namespace zelko::platform::sim
