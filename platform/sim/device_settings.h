// Settings of the device itself (screen, locale, time zone, clock, network), kept in
// registry.db beside the registry so one transaction can touch both.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/sim/db.h"
#include "platform/status.h"

namespace zelko::platform::sim {

class DeviceSettings {
 public:
  explicit DeviceSettings(Database& db) : db_(db) {}
  DeviceSettings(const DeviceSettings&) = delete;
  DeviceSettings& operator=(const DeviceSettings&) = delete;

  std::optional<std::string> get(std::string_view name);
  std::string get(std::string_view name, std::string_view fallback);
  Status set(std::string_view name, std::string_view value);
  // Sets several at once, in one transaction.
  Status set(std::initializer_list<std::pair<std::string_view, std::string>> values);
  // An integer setting; `fallback` when missing or not a number.
  int64_t getInt(std::string_view name, int64_t fallback);
  // For use inside update(): sets without a transaction of its own.
  Status setInTransaction(std::string_view name, std::string_view value);
  // Runs `body` in one write transaction (BEGIN IMMEDIATE), so that what it reads with
  // get() cannot change before what it sets is written: every read-modify-write of the
  // settings goes through here.
  Status update(const std::function<Status()>& body) { return db_.write(body); }

 private:
  Database& db_;
};

}  // namespace zelko::platform::sim
