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

// flock, waiting for the lock and retried when a signal interrupts the wait.
bool lockWaiting(int fd, int operation) {
  int rc;
  do rc = flock(fd, operation); while (rc != 0 && errno == EINTR);
  return rc == 0;
}

// Opens the mutex's file and holds a shared lock on it for the life of the handle. The
// exclusive lock tried first succeeds only when no handle of any process is open.
Result<std::unique_ptr<NamedMutex>> openHeld(const std::filesystem::path& file) {
  std::string path = file.string();
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Status::IoError("cannot open " + path + ": " + std::strerror(errno));
  bool existed = flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (!lockWaiting(fd, LOCK_SH)) {
    close(fd);
    return Status::IoError("cannot lock " + path + ": " + std::strerror(errno));
  }
  return std::unique_ptr<NamedMutex>(new FileMutex(fd, existed));
}

}  // namespace

Result<std::unique_ptr<NamedMutex>> SimSync::createMutex(std::string_view name) {
  // Creators take turns at the gate, so that the probe and the lock that follows it are
  // one step for every other creator: flock does not promise that turning the exclusive
  // lock into a shared one is atomic, and in between a second creator would also find
  // no holder. Handles close without the gate; a closed one is simply gone.
  std::string gatePath = (runDir_ / "mutex.gate").string();
  int gate = open(gatePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (gate < 0) return Status::IoError("cannot open " + gatePath + ": " + std::strerror(errno));
  if (!lockWaiting(gate, LOCK_EX)) {
    close(gate);
    return Status::IoError("cannot lock " + gatePath + ": " + std::strerror(errno));
  }
  auto mutex = openHeld(runDir_ / fileNameFor(name));
  close(gate);  // lets the next creator in
  return mutex;
}

}  // namespace zelko::platform::sim
