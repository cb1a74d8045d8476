#include "ZelkoMeteo/weather_record.h"

namespace zelko::meteo {

using platform::RegValue;
using platform::Root;
using platform::Status;

std::string dayKey(int day) { return "Day" + std::to_string(day); }

std::string recordKey(std::string_view subkey) {
  std::string key(kRecordKey);
  if (!subkey.empty()) key += "\\" + std::string(subkey);
  return key;
}

void WeatherRecord::setText(std::string_view subkey, std::string_view name, std::string_view text) {
  entries_.push_back({std::string(subkey), std::string(name), RegValue::Text(std::string(text))});
}

void WeatherRecord::setNumber(std::string_view subkey, std::string_view name, int number) {
  entries_.push_back({std::string(subkey), std::string(name), RegValue::Dword(static_cast<uint32_t>(number))});
}

const RegValue* WeatherRecord::find(std::string_view subkey, std::string_view name) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->subkey == subkey && it->name == name) return &it->value;
  }
  return nullptr;
}

Status WeatherRecord::store(platform::Registry& registry) const {
  Status removed = registry.deleteKey(Root::kCurrentUser, kRecordKey);
  if (!removed.ok() && removed.code() != Status::Code::kNotFound) return removed;
  Status first;
  for (const Entry& e : entries_) {
    Status s = registry.setValue(Root::kCurrentUser, recordKey(e.subkey), e.name, e.value);
    if (!s.ok() && first.ok()) first = s;
  }
  return first;
}

}  // namespace zelko::meteo
