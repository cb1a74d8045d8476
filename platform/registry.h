// The registry of the device: keys under HKLM and HKCU, names compared without regard to
// case (every letter, not only ASCII), values of type string, expandable string,
// multi-string, DWORD and binary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"

namespace zelko::platform {

enum class Root { kLocalMachine, kCurrentUser };

// "HKLM", "HKEY_LOCAL_MACHINE", "HKCU", "HKEY_CURRENT_USER" (any case); nullopt otherwise.
std::optional<Root> parseRoot(std::string_view text);
// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* rootLongName(Root root);
// "HKLM" or "HKCU".
const char* rootShortName(Root root);

// The numbers are the phone's own (REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
// REG_MULTI_SZ), as .reg files write them in hex(N).
enum class ValueType : uint32_t { kString = 1, kExpandString = 2, kBinary = 3, kDword = 4, kMultiString = 7 };

struct RegValue {
  ValueType type = ValueType::kString;
  std::string text;                  // kString, kExpandString (%NAME% kept as written): UTF-8
  uint32_t dword = 0;                // kDword
  std::vector<uint8_t> bytes;        // kBinary
  std::vector<std::string> strings;  // kMultiString: UTF-8, none empty, none holding a NUL

  static RegValue Text(std::string t) { RegValue v; v.text = std::move(t); return v; }
  static RegValue ExpandText(std::string t) {
    RegValue v; v.type = ValueType::kExpandString; v.text = std::move(t); return v;
  }
  static RegValue MultiText(std::vector<std::string> s) {
    RegValue v; v.type = ValueType::kMultiString; v.strings = std::move(s); return v;
  }
  static RegValue Dword(uint32_t d) { RegValue v; v.type = ValueType::kDword; v.dword = d; return v; }
  static RegValue Binary(std::vector<uint8_t> b) {
    RegValue v; v.type = ValueType::kBinary; v.bytes = std::move(b); return v;
  }
  bool operator==(const RegValue& o) const;
};

struct NamedValue {
  std::string name;
  RegValue value;
};

// Key paths use backslashes ("Software\Microsoft\CHome"); a leading or trailing backslash
// and doubled backslashes are ignored. The empty path is the root itself.
// Every method may be called from any thread of the process; each call is atomic with
// respect to other processes writing the same device.
class Registry {
 public:
  Registry() = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;
  virtual ~Registry() = default;

  virtual bool keyExists(Root root, std::string_view key) = 0;
  // Creates the key and its missing parents; ok when it exists already.
  virtual Status createKey(Root root, std::string_view key) = 0;
  // NotFound when the key or the value is missing.
  virtual Result<RegValue> getValue(Root root, std::string_view key, std::string_view name) = 0;
  // The notifying setter: creates the key when missing, stores the value, and when the
  // stored data changed (type or bytes) tells every watcher of that value, in this and in
  // other processes (see notifications.h). Writing the same data again notifies nobody.
  virtual Status setValue(Root root, std::string_view key, std::string_view name,
                          const RegValue& value) = 0;
  // Removes one value; watchers of it are told. NotFound when there was none.
  virtual Status deleteValue(Root root, std::string_view key, std::string_view name) = 0;
  // Removes a key with everything below it; watchers of the removed values are told.
  // NotFound when the key is missing. The root itself cannot be removed (Invalid).
  virtual Status deleteKey(Root root, std::string_view key) = 0;
  // Names of the direct sub-keys, in the case they were created with, sorted without
  // regard to case. Empty when the key is missing.
  virtual std::vector<std::string> subKeys(Root root, std::string_view key) = 0;
  // The values of one key, sorted by name without regard to case.
  virtual std::vector<NamedValue> values(Root root, std::string_view key) = 0;
};

}  // namespace zelko::platform
