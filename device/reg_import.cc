#include "device/reg_import.h"

#include <string>

namespace zelko::device {
namespace {

using platform::Status;

Status apply(platform::Registry& reg, const RegOperation& op) {
  switch (op.kind) {
    case RegOperation::Kind::kCreateKey: return reg.createKey(op.root, op.key);
    case RegOperation::Kind::kSetValue: return reg.setValue(op.root, op.key, op.name, op.value);
    case RegOperation::Kind::kDeleteKey: {
      Status s = reg.deleteKey(op.root, op.key);
      return s.code() == Status::Code::kNotFound ? Status::Ok() : s;
    }
    case RegOperation::Kind::kDeleteValue: {
      Status s = reg.deleteValue(op.root, op.key, op.name);
      return s.code() == Status::Code::kNotFound ? Status::Ok() : s;
    }
  }
  return Status::Invalid("unknown operation");
}

}  // namespace

Status applyRegOperations(platform::Registry& registry, const std::vector<RegOperation>& ops) {
  for (const RegOperation& op : ops) {
    Status s = apply(registry, op);
    if (!s.ok()) return Status::Failed("line " + std::to_string(op.line) + ": " + s.message());
  }
  return Status::Ok();
}

}  // namespace zelko::device
