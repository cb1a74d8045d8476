#include "platform/sim/sim_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "platform/date_time.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace fs = std::filesystem;
namespace {

// A line longer than this is cut (at a character): one failure is one readable line.
constexpr size_t kMaxLineUnits = 1000;

// "ZelkoWinToday" for "\Program Files\ZelkoToday\ZelkoWinToday.exe".
std::string programName(std::string_view modulePath) {
  std::string name(modulePath.substr(modulePath.rfind('\\') + 1));
  if (name.size() > 4 && equalsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".exe")) {
    name.resize(name.size() - 4);
  }
  if (name.empty()) {
    std::error_code ec;
    name = fs::read_symlink("/proc/self/exe", ec).filename().string();
  }
  return name.empty() ? std::string("program") : name;
}

}  // namespace

SimLog::SimLog(const fs::path& runDir, std::string_view modulePath, Clock& clock)
    : file_(runDir / (programName(modulePath) + ".failures.log")), clock_(clock) {}

void SimLog::write(std::string_view line) {
  std::string text = formatIsoDateTime(clock_.localNow()) + " [" + std::to_string(getpid()) + "] ";
  for (char c : utf16Prefix(line, kMaxLineUnits)) {
    text += c == '\n' || c == '\r' || c == '\t' ? ' ' : c;
  }
  text += '\n';

  std::error_code ec;
  uintmax_t size = fs::file_size(file_, ec);
  if (!ec && size + text.size() > kMaxProgramLogBytes) fs::rename(file_, fs::path(file_) += ".1", ec);
  int fd = open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // One write of the whole line: lines of two processes never interleave.
  ssize_t written = ::write(fd, text.data(), text.size());
  (void)written;  // a log that cannot be written has nowhere to report it
  close(fd);
}

}  // namespace zelko::platform::sim
