#include "platform/sim/device_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace zelko::platform::sim {

std::filesystem::path deviceLogPath(const std::filesystem::path& deviceDir, std::string_view name) {
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  std::string file;
  for (char c : name.substr(0, 64)) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == '.';
    file.push_back(plain ? c : '_');
  }
  if (file.empty() || file.front() == '.') file.insert(file.begin(), '_');
  return deviceDir / "run" / (file + ".log");
}

void trimDeviceLog(const std::filesystem::path& log) {
  struct stat st {};
  if (stat(log.c_str(), &st) != 0 || static_cast<size_t>(st.st_size) <= kMaxLogBytes) return;
  std::filesystem::path old = log;
  old += ".1";
  std::error_code ec;
  std::filesystem::copy_file(log, old, std::filesystem::copy_options::overwrite_existing, ec);
  if (!ec) truncate(log.c_str(), 0);
}

void keepDeviceLogTrimmed(const std::filesystem::path& log) {
  std::thread([log] {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::seconds(5));
      trimDeviceLog(log);
    }
  }).detach();
}

int openDeviceLog(const std::filesystem::path& deviceDir, std::string_view name) {
  std::filesystem::path log = deviceLogPath(deviceDir, name);
  trimDeviceLog(log);
  return open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0644);
}

}  // namespace zelko::platform::sim
