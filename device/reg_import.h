// Applying the operations of a .reg file to a registry, for `zelko-device reg import`.
#pragma once

#include <vector>

#include "device/reg_file.h"
#include "platform/registry.h"
#include "platform/status.h"

namespace zelko::device {

// Applies `ops` in their order. Deleting a key or value that is not there is no error.
// Stops at the first change the registry refuses, with "line N: <why>" for its line; the
// caller runs this inside one registry transaction, so that a refusal (a full disk) or a
// kill leaves the registry as it was.
platform::Status applyRegOperations(platform::Registry& registry, const std::vector<RegOperation>& ops);

}  // namespace zelko::device
