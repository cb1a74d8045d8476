// Any bytes must parse or fail cleanly; whatever parses must survive export and import:
// writing the keys and values read and reading the result gives the same operations.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "device/reg_file.h"

using zelko::device::RegKeyDump;
using zelko::device::RegOperation;

namespace {

// Every field, not only the ones the type uses, so that stray data is caught too.
bool sameValue(const zelko::platform::RegValue& a, const zelko::platform::RegValue& b) {
  return a.type == b.type && a.text == b.text && a.dword == b.dword && a.bytes == b.bytes && a.strings == b.strings;
}

bool sameOperation(const RegOperation& a, const RegOperation& b) {
  return a.kind == b.kind && a.root == b.root && a.key == b.key && a.name == b.name &&
         sameValue(a.value, b.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto parsed = zelko::device::parseRegFile(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!parsed.ok()) {
    const std::string& message = parsed.status().message();
    if (message.rfind("line ", 0) != 0 || message.find('\n') != std::string::npos) abort();
    return 0;
  }

  // An export holds only keys and values; deletions have no place in it.
  std::vector<RegOperation> expected;
  std::vector<RegKeyDump> dumps;
  for (const RegOperation& op : *parsed) {
    if (op.line < 1) abort();
    if (op.kind == RegOperation::Kind::kCreateKey) {
      dumps.push_back({op.root, op.key, {}});
      expected.push_back(op);
    } else if (op.kind == RegOperation::Kind::kSetValue) {
      if (dumps.empty()) abort();  // a value before any key must have been refused
      dumps.back().values.push_back({op.name, op.value});
      expected.push_back(op);
    }
  }

  auto reread = zelko::device::parseRegFile(zelko::device::writeRegFile(dumps));
  if (!reread.ok() || reread->size() != expected.size()) abort();
  for (size_t i = 0; i < expected.size(); ++i) {
    if (!sameOperation((*reread)[i], expected[i])) abort();
  }
  return 0;
}
