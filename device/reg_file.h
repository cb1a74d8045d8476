// Reading and writing the text files of `zelko-device reg import` and `reg export`, in the
// format the desktop registry editor uses. Only text goes in and out: the caller does the
// file I/O and applies the operations to the device registry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/status.h"

namespace zelko::device {

struct RegOperation {
  enum class Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = Kind::kCreateKey;
  platform::Root root = platform::Root::kLocalMachine;
  std::string key;           // backslash path below the root, no leading/trailing backslash
  std::string name;          // value name; "" is the default value "@"
  platform::RegValue value;  // kSetValue only
  int line = 0;              // 1-based line where the operation starts, for messages
};

// Parses a whole file: a "REGEDIT4" or "Windows Registry Editor Version 5.00" header as the
// first non-blank line, then key headers, values, blank lines and ";" comments. The bytes
// are UTF-8 (with or without BOM) or UTF-16LE with BOM. On any error returns
// Status::Invalid("line N: <what is wrong>") and no operations, so that a bad file never
// half-applies.
platform::Result<std::vector<RegOperation>> parseRegFile(std::string_view bytes);

struct RegKeyDump {
  platform::Root root;
  std::string key;
  std::vector<platform::NamedValue> values;
};

// A "Windows Registry Editor Version 5.00" file in UTF-16LE with BOM and CRLF line ends,
// keys in the given order. parseRegFile reads every value back identically, except that a
// line break inside a key or value name cannot be carried by the format and is written as
// a blank.
std::string writeRegFile(const std::vector<RegKeyDump>& keys);

}  // namespace zelko::device
