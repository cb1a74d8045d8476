#include "platform/sim/sim_sync.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

class FileMutex final : public NamedMutex {
 public:
  FileMutex(int fd, bool existed) : fd_(fd), existed_(existed) {}
  ~FileMutex() override { close(fd_); }
  bool alreadyExisted() const override { return existed_; }

 private:
  int fd_;
  bool existed_;
};

// Mutex names may hold any character: the file is named by the hex of the folded name.
// A name too long for a file name keeps the start of its hex and a hash of all of it, so
// that two long names with the same beginning stay two mutexes.
std::string fileNameFor(std::string_view name) {
  constexpr size_t kMaxHex = 200;
  const std::string fold = foldCase(name);
  std::string hex;
  char buf[17];
  for (unsigned char c : fold) {
    std::snprintf(buf, sizeof buf, "%02x", c);
    hex += buf;
  }
  if (hex.size() > kMaxHex) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a: the same in every process
    for (unsigned char c : fold) hash = (hash ^ c) * 1099511628211ull;
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
    hex = hex.substr(0, kMaxHex - 17) + "-" + buf;
  }
  return "mutex-" + hex + ".lock";
}

}  // namespace

Result<std::unique_ptr<NamedMutex>> SimSync::createMutex(std::string_view name) {
  std::string path = (runDir_ / fileNameFor(name)).string();
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Status::IoError("cannot open " + path + ": " + std::strerror(errno));
  bool existed = flock(fd, LOCK_EX | LOCK_NB) != 0;
  // Hold a shared lock for the life of the handle (a conversion from exclusive to shared,
  // or a new shared lock beside other holders).
  int rc;
  do rc = flock(fd, LOCK_SH); while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    close(fd);
    return Status::IoError("cannot lock " + path);
  }
  return std::unique_ptr<NamedMutex>(new FileMutex(fd, existed));
}

}  // namespace zelko::platform::sim
