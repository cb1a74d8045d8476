// Reading a whole host file whose size nobody promised: only regular files, and only up to
// a limit, so that a device file, a pipe or an endless file ends in a clear error rather
// than in a hang or an exhausted memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace zelko::platform::sim {

// The whole of `host`. NotFound when it is missing; Invalid when it is not a regular file
// or holds more than `limit` bytes; IoError when it cannot be read. Messages name the file
// as `shown` (a device path, say).
Result<std::string> readBoundedFile(const std::filesystem::path& host, size_t limit,
                                    std::string_view shown);

}  // namespace zelko::platform::sim
