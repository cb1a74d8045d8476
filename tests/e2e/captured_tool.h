// zelko-device run the way a shell's command substitution runs it: stdout and stderr on
// one pipe, read to its end. A program the command leaves running that still held the
// pipe would keep that end from coming.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zelko::testing {

struct Captured {
  bool ended = false;  // the pipe reached its end in time and the tool exited
  int code = -1;
  std::string output;  // stdout and stderr, as they came
};

// Runs `zelko-device -d DEVICE ARGS...` with stdin from /dev/null.
Captured captureTool(const std::filesystem::path& device, const std::vector<std::string>& args,
                     std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace zelko::testing
