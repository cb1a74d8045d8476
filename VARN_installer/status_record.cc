#include "VARN_installer/status_record.h"

#include <cstdio>

#include "platform/text.h"

namespace zelko::varn {

using platform::RegValue;
using platform::Root;

std::optional<std::string> readText(platform::Registry& registry, Root root, std::string_view key,
                                    std::string_view name, size_t maxUnits) {
  auto value = registry.getValue(root, key, name);
  if (!value.ok() || value->type != platform::ValueType::kString) return std::nullopt;
  if (platform::utf16Length(value->text) > maxUnits) return std::nullopt;
  return std::move(value->text);
}

void writeValue(platform::Registry& registry, Root root, std::string_view key, std::string_view name,
                const RegValue& value) {
  platform::Status written = registry.setValue(root, key, name, value);
  if (!written.ok()) {
    std::fprintf(stderr, "VARN_installer: cannot write %s\\%.*s \"%.*s\": %s\n",
                 platform::rootShortName(root), static_cast<int>(key.size()), key.data(),
                 static_cast<int>(name.size()), name.data(), written.message().c_str());
  }
}

void StatusRecord::setText(std::string_view name, std::string_view value) {
  writeValue(registry_, Root::kCurrentUser, kStatusKey, name, RegValue::Text(std::string(value)));
}

void StatusRecord::setNumber(std::string_view name, uint32_t value) {
  writeValue(registry_, Root::kCurrentUser, kStatusKey, name, RegValue::Dword(value));
}

std::optional<std::string> StatusRecord::text(std::string_view name, size_t maxUnits) {
  return readText(registry_, Root::kCurrentUser, kStatusKey, name, maxUnits);
}

std::optional<uint32_t> StatusRecord::number(std::string_view name) {
  auto value = registry_.getValue(Root::kCurrentUser, kStatusKey, name);
  if (!value.ok() || value->type != platform::ValueType::kDword) return std::nullopt;
  return value->dword;
}

void StatusRecord::recordError(const InstallError& error) {
  setText("ErrorDescription", error.text);
  setNumber("ErrorNumber", static_cast<uint32_t>(error.number));
}

}  // namespace zelko::varn
