#include "platform/sim/host_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

Status folderError(const std::string& shown, const std::string& part, int error) {
  if (error == ELOOP || error == ENOTDIR) {
    return Status::Invalid(shown + ": " + part + " is a link or not a folder");
  }
  if (error == ENOENT) return Status::NotFound(shown + ": no such folder");
  return Status::IoError(shown + ": " + std::strerror(error));
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.release();
  }
  return *this;
}

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

int UniqueFd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

std::string matchEntry(int dir, const std::string& name) {
  struct stat st;
  if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return name;
  int listFd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return name;
  DIR* list = fdopendir(listFd);
  if (!list) {
    close(listFd);
    return name;
  }
  std::string found = name;
  while (dirent* entry = readdir(list)) {
    if (equalsIgnoreCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(list);
  return found;
}

Result<UniqueFd> openFolderNoFollow(const std::filesystem::path& root,
                                    const std::vector<std::string>& parts, bool create,
                                    const std::string& shown) {
  UniqueFd folder(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid()) return folderError(shown, root.string(), errno);
  for (const std::string& part : parts) {
    std::string name = matchEntry(folder.get(), part);
    int fd = openat(folder.get(), name.c_str(), kFolderFlags);
    if (fd < 0 && errno == ENOENT && create) {
      // Another writer may make it meanwhile: then it is opened as it is.
      if (mkdirat(folder.get(), name.c_str(), 0755) != 0 && errno != EEXIST) {
        return folderError(shown, part, errno);
      }
      fd = openat(folder.get(), name.c_str(), kFolderFlags);
    }
    if (fd < 0) return folderError(shown, part, errno);
    folder = UniqueFd(fd);
  }
  return folder;
}

}  // namespace zelko::platform::sim
