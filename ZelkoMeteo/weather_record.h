// The weather record every feed reader makes and the composer reads: under
// HKCU\Software\Zelko\Meteo, the location values, the current conditions in its subkey
// Current, and a subkey Day1, Day2... for each forecast day.
//
// A reader builds the record here first and it is stored only when the reading counts as
// done: a reply that turns out to be no forecast (an error page, a cut-off document)
// leaves the previous record as it was, rather than an empty one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/status.h"

namespace zelko::meteo {

inline constexpr std::string_view kRecordKey = "Software\\Zelko\\Meteo";
inline constexpr std::string_view kCurrentKey = "Current";

// "Day" followed by the day's number: the subkey of a forecast day, and the word a
// reader shows in the header while it reads that day.
std::string dayKey(int day);
// The registry key of a subkey of the record ("" for the record's own key).
std::string recordKey(std::string_view subkey);

class WeatherRecord {
 public:
  struct Entry {
    std::string subkey;  // "" for the record's own key, kCurrentKey, or a dayKey()
    std::string name;
    platform::RegValue value;
  };

  void setText(std::string_view subkey, std::string_view name, std::string_view text);
  // Numbers are kept as DWORDs, negative ones in two's complement.
  void setNumber(std::string_view subkey, std::string_view name, int number);

  // The values in the order they were set; a value set twice is there twice.
  const std::vector<Entry>& entries() const { return entries_; }
  // The last value set under that subkey and name, or nullptr.
  const platform::RegValue* find(std::string_view subkey, std::string_view name) const;

  // Replaces the stored record: deletes the key with everything below it, then writes
  // the values in order, each through the notifying setter. The first error is given
  // back; the writes after it are still made.
  platform::Status store(platform::Registry& registry) const;

 private:
  std::vector<Entry> entries_;
};

}  // namespace zelko::meteo
