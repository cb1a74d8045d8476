// The program's log as a file under the device's run/ folder, named after the program:
// run/ZelkoWinToday.failures.log. Bounded: when a line would take the file past
// kMaxProgramLogBytes, the file becomes <name>.1 (replacing the one before) and a fresh one
// begins, so a program that fails every minute for months keeps at most twice that.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/log.h"

namespace zelko::platform::sim {

inline constexpr uintmax_t kMaxProgramLogBytes = 64 * 1024;

class SimLog final : public Log {
 public:
  // `modulePath` is the device path of the running program; empty for a program that
  // runs outside the device (zelko-device, a test), which is named after its own file.
  SimLog(const std::filesystem::path& runDir, std::string_view modulePath, Clock& clock);
  void write(std::string_view line) override;

  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
  Clock& clock_;
};

}  // namespace zelko::platform::sim
