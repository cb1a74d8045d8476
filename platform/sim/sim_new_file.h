// A file written piece by piece on the emulated device: the bytes go to a file without a
// name in the target's folder (or, where the host's file system cannot make one, to a
// hidden temporary), which takes the target's name only at commit. A program killed
// meanwhile leaves nothing, or at worst that hidden temporary, never a part of the file.
#pragma once

#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/sim/host_folder.h"

namespace zelko::platform::sim {

// Starts the file `name` in the open folder `folder`; `shown` names it in messages.
Result<std::unique_ptr<NewFile>> startNewFile(UniqueFd folder, const std::string& name,
                                              const std::string& shown);

}  // namespace zelko::platform::sim
