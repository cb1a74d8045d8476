#include "platform/sim/sim_new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace zelko::platform::sim {
namespace {

// 100-ns steps from 1601 to 1970.
constexpr uint64_t kEpochDelta = 116444736000000000ULL;

timespec toTimespec(std::optional<FileTime> time) {
  if (!time) return {0, UTIME_OMIT};
  // Times before 1970 are negative seconds with a positive fraction, as timespec wants.
  int64_t steps = static_cast<int64_t>(*time - kEpochDelta);
  int64_t seconds = steps / 10000000;
  int64_t rest = steps % 10000000;
  if (rest < 0) {
    rest += 10000000;
    --seconds;
  }
  return {static_cast<time_t>(seconds), static_cast<long>(rest * 100)};
}

std::string temporaryName() {
  static std::atomic<uint64_t> serial{0};
  return ".zelko-tmp-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
}

class SimNewFile final : public NewFile {
 public:
  SimNewFile(UniqueFd folder, std::string name, std::string shown, UniqueFd file,
             std::string temporary)
      : folder_(std::move(folder)), name_(std::move(name)), shown_(std::move(shown)),
        file_(std::move(file)), temporary_(std::move(temporary)) {}

  ~SimNewFile() override {
    if (!temporary_.empty()) unlinkat(folder_.get(), temporary_.c_str(), 0);
  }

  Status write(std::string_view bytes) override {
    if (!file_.valid()) return Status::IoError(shown_ + ": already failed or committed");
    while (!bytes.empty()) {
      ssize_t n = ::write(file_.get(), bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return fail();
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return Status::Ok();
  }

  Status commit(const FileAttributes& attributes, const FileTimes& times) override {
    if (!file_.valid()) return Status::IoError(shown_ + ": already failed or committed");
    // The creation time has no counterpart a program can set on the host.
    const timespec stamps[2] = {toTimespec(times.lastAccess), toTimespec(times.lastWrite)};
    if (fchmod(file_.get(), attributes.readOnly ? 0444 : 0644) != 0 ||
        futimens(file_.get(), stamps) != 0) {
      return fail();
    }
    if (temporary_.empty()) {
      // The nameless file gets a hidden name first: a link cannot replace a file.
      std::string linked = temporaryName();
      std::string self = "/proc/self/fd/" + std::to_string(file_.get());
      if (linkat(AT_FDCWD, self.c_str(), folder_.get(), linked.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return fail();
      }
      temporary_ = linked;
    }
    if (renameat(folder_.get(), temporary_.c_str(), folder_.get(), name_.c_str()) != 0) return fail();
    temporary_.clear();
    file_ = UniqueFd();
    return Status::Ok();
  }

 private:
  Status fail() {
    Status s = Status::IoError(shown_ + ": " + std::strerror(errno));
    file_ = UniqueFd();
    return s;
  }

  UniqueFd folder_;
  std::string name_;
  std::string shown_;
  UniqueFd file_;
  std::string temporary_;  // the hidden name while there is one
};

}  // namespace

Result<std::unique_ptr<NewFile>> startNewFile(UniqueFd folder, const std::string& name,
                                              const std::string& shown) {
  int fd = openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  std::string temporary;
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    temporary = temporaryName();
    fd = openat(folder.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  }
  if (fd < 0) return Status::IoError(shown + ": " + std::strerror(errno));
  return std::unique_ptr<NewFile>(
      new SimNewFile(std::move(folder), name, shown, UniqueFd(fd), std::move(temporary)));
}

}  // namespace zelko::platform::sim
