// The installer's registry: the status record under HKEY_CURRENT_USER\SOFTWARE\VARN that
// callers read the outcome from, and the reads and writes of the home screen's values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "VARN_installer/errors.h"
#include "platform/registry.h"

namespace zelko::varn {

inline constexpr char kStatusKey[] = "SOFTWARE\\VARN";
inline constexpr char kHomeKey[] = "SOFTWARE\\Microsoft\\CHome";

// The lengths of the phone's fixed buffers, in UTF-16 units.
inline constexpr size_t kCprFileUnits = 511;
inline constexpr size_t kHomeValueUnits = 8091;
inline constexpr size_t kStarPathUnits = 4095;

// A text value as a fixed buffer reads it: nullopt when it is missing, not text, or longer
// than `maxUnits` (the phone's read fails then rather than cutting it).
std::optional<std::string> readText(platform::Registry& registry, platform::Root root,
                                    std::string_view key, std::string_view name, size_t maxUnits);
// Writes a value. The installer reports its outcome through the status record only, so a
// failed write is told on stderr (the device's program log) and the run goes on.
void writeValue(platform::Registry& registry, platform::Root root, std::string_view key,
                std::string_view name, const platform::RegValue& value);

class StatusRecord {
 public:
  explicit StatusRecord(platform::Registry& registry) : registry_(registry) {}

  // Creates the key when it is missing.
  platform::Status open() { return registry_.createKey(platform::Root::kCurrentUser, kStatusKey); }
  void setText(std::string_view name, std::string_view value);
  void setNumber(std::string_view name, uint32_t value);
  std::optional<std::string> text(std::string_view name, size_t maxUnits);
  // A DWORD value; nullopt when missing or of another type.
  std::optional<uint32_t> number(std::string_view name);
  // "ErrorDescription" and "ErrorNumber".
  void recordError(const InstallError& error);

 private:
  platform::Registry& registry_;
};

}  // namespace zelko::varn
