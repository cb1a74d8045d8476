#include "platform/sim/bounded_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelko::platform::sim {
namespace {

std::string sizeText(size_t bytes) {
  if (bytes >= (size_t{1} << 20)) return std::to_string(bytes >> 20) + " MB";
  if (bytes >= 1024) return std::to_string(bytes >> 10) + " KB";
  return std::to_string(bytes) + " bytes";
}

Status readAll(int fd, size_t limit, const std::string& name, std::string& out) {
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::IoError(name + ": " + std::strerror(errno));
    if (n == 0) return Status::Ok();
    // A file of the kernel may say it is empty and still have lines: the size is taken
    // from what is read, not from what stat says.
    if (out.size() + static_cast<size_t>(n) > limit) {
      return Status::Invalid(name + ": the file is larger than " + sizeText(limit));
    }
    out.append(buf, static_cast<size_t>(n));
  }
}

}  // namespace

Result<std::string> readBoundedFile(const std::filesystem::path& host, size_t limit,
                                    std::string_view shown) {
  std::string name(shown);
  // Not blocking in open: a named pipe would wait for a writer there.
  int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return Status::NotFound(name + ": no such file");
    return Status::IoError(name + ": " + std::strerror(errno));
  }
  struct stat st {};
  std::string out;
  Status s;
  if (fstat(fd, &st) != 0) {
    s = Status::IoError(name + ": " + std::strerror(errno));
  } else if (!S_ISREG(st.st_mode)) {
    s = S_ISDIR(st.st_mode) ? Status::NotFound(name + ": no such file (it is a folder)")
                            : Status::Invalid(name + ": not a regular file");
  } else {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    s = readAll(fd, limit, name, out);
  }
  close(fd);
  if (!s.ok()) return s;
  return out;
}

}  // namespace zelko::platform::sim
