#include "platform/sim/device_settings.h"

#include <charconv>

namespace zelko::platform::sim {

std::optional<std::string> DeviceSettings::get(std::string_view name) {
  auto guard = db_.lock();
  Statement& q = db_.prepare("SELECT value FROM settings WHERE name = ?");
  q.bind(1, name);
  std::optional<std::string> out;
  if (q.step()) out = q.columnText(0);
  q.reset();
  return out;
}

std::string DeviceSettings::get(std::string_view name, std::string_view fallback) {
  auto v = get(name);
  return v ? *v : std::string(fallback);
}

Status DeviceSettings::setInTransaction(std::string_view name, std::string_view value) {
  return db_.prepare("INSERT INTO settings(name, value) VALUES(?, ?) "
                     "ON CONFLICT(name) DO UPDATE SET value = excluded.value")
      .bind(1, name)
      .bind(2, value)
      .run();
}

Status DeviceSettings::set(std::string_view name, std::string_view value) {
  return db_.write([&] { return setInTransaction(name, value); });
}

Status DeviceSettings::set(std::initializer_list<std::pair<std::string_view, std::string>> values) {
  return db_.write([&] {
    for (const auto& [name, value] : values) {
      Status s = setInTransaction(name, value);
      if (!s.ok()) return s;
    }
    return Status::Ok();
  });
}

int64_t DeviceSettings::getInt(std::string_view name, int64_t fallback) {
  auto v = get(name);
  if (!v) return fallback;
  int64_t out = 0;
  auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), out);
  return ec == std::errc() && end == v->data() + v->size() ? out : fallback;
}

}  // namespace zelko::platform::sim
