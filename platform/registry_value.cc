#include "platform/registry.h"
#include "platform/text.h"

namespace zelko::platform {

std::optional<Root> parseRoot(std::string_view text) {
  if (equalsIgnoreCase(text, "HKLM") || equalsIgnoreCase(text, "HKEY_LOCAL_MACHINE")) {
    return Root::kLocalMachine;
  }
  if (equalsIgnoreCase(text, "HKCU") || equalsIgnoreCase(text, "HKEY_CURRENT_USER")) {
    return Root::kCurrentUser;
  }
  return std::nullopt;
}

const char* rootLongName(Root root) {
  return root == Root::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

const char* rootShortName(Root root) { return root == Root::kLocalMachine ? "HKLM" : "HKCU"; }

bool RegValue::operator==(const RegValue& o) const {
  if (type != o.type) return false;
  switch (type) {
    case ValueType::kString:
    case ValueType::kExpandString: return text == o.text;
    case ValueType::kMultiString: return strings == o.strings;
    case ValueType::kDword: return dword == o.dword;
    case ValueType::kBinary: return bytes == o.bytes;
  }
  return false;
}

}  // namespace zelko::platform
