#include "platform/sim/sim_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/sim/bounded_read.h"
#include "platform/sim/host_folder.h"
#include "platform/sim/sim_new_file.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace fs = std::filesystem;
namespace {

// Components of a device path; "\" and "/" both separate, "." is dropped and ".." never
// climbs above the root of the file system.
std::vector<std::string> components(std::string_view path) {
  // The phone's calls read a path up to its NUL. Past it, a ".." would not be seen here
  // but would still reach the host's calls, which stop at the NUL too.
  path = path.substr(0, path.find('\0'));
  std::vector<std::string> out;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find_first_of("\\/", i);
    if (j == std::string_view::npos) j = path.size();
    std::string part(path.substr(i, j - i));
    if (part == "..") {
      if (!out.empty()) out.pop_back();
    } else if (!part.empty() && part != ".") {
      out.push_back(std::move(part));
    }
    i = j + 1;
  }
  return out;
}

Status errnoStatus(const std::string& what) {
  if (errno == ENOENT) return Status::NotFound(what + ": no such file");
  return Status::IoError(what + ": " + std::strerror(errno));
}

}  // namespace

std::string SimFiles::hostPath(std::string_view path) { return resolve(path, nullptr); }

std::string SimFiles::resolve(std::string_view path, bool* found) {
  const std::vector<std::string> parts = components(path);
  fs::path direct = root_;
  for (const std::string& part : parts) direct /= part;
  std::error_code ec;
  // Programs mostly name files the way they are spelled: one look settles it.
  if (fs::exists(direct, ec)) {
    if (found) *found = true;
    return direct.string();
  }

  // When the folder is spelled right too, only the last name needs a look around.
  size_t start = 0;
  fs::path host = root_;
  if (!parts.empty() && fs::is_directory(direct.parent_path(), ec)) {
    start = parts.size() - 1;
    host = direct.parent_path();
  }
  bool matching = true;  // once a component is missing, the rest cannot exist either
  for (size_t i = start; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (matching) {
      if (fs::exists(host / part, ec)) {
        host /= part;
        continue;
      }
      matching = false;
      for (const auto& entry : fs::directory_iterator(host, ec)) {
        std::string name = entry.path().filename().string();
        if (equalsIgnoreCase(name, part)) {
          host /= name;
          matching = true;
          break;
        }
      }
      if (matching) continue;
    }
    host /= part;
  }
  if (found) *found = fs::exists(host, ec);
  return host.string();
}

std::optional<std::string> SimFiles::devicePath(const fs::path& host) const {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(host, ec);
  fs::path base = fs::weakly_canonical(root_, ec);
  auto rel = canonical.lexically_relative(base);
  if (rel.empty() || *rel.begin() == "..") return std::nullopt;
  std::string out;
  for (const auto& part : rel) {
    if (part == ".") continue;
    out += "\\" + part.string();
  }
  return out.empty() ? "\\" : out;
}

bool SimFiles::exists(std::string_view path) {
  bool found = false;
  resolve(path, &found);
  return found;
}

bool SimFiles::isDirectory(std::string_view path) {
  std::error_code ec;
  return fs::is_directory(hostPath(path), ec);
}

Result<std::string> SimFiles::readFile(std::string_view path) {
  return readBoundedFile(hostPath(path), kMaxReadBytes, path);
}

Result<std::string> SimFiles::readText(std::string_view path) {
  auto bytes = readFile(path);
  if (!bytes.ok()) return bytes;
  std::string& b = *bytes;
  if (b.size() >= 2 && static_cast<uint8_t>(b[0]) == 0xFF && static_cast<uint8_t>(b[1]) == 0xFE) {
    return utf16leToUtf8(std::string_view(b).substr(2));
  }
  if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0) return b.substr(3);
  return std::move(b);
}

Status SimFiles::writeFile(std::string_view path, std::string_view bytes) {
  fs::path host = hostPath(path);
  // A name of this writer's own: two threads writing the same file must not share one
  // temporary, or one renames the other's half-written bytes into place.
  static std::atomic<uint64_t> serial{0};
  fs::path tmp = host;
  tmp += ".tmp" + std::to_string(getpid()) + "." + std::to_string(++serial);
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errnoStatus(std::string(path));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Status s = errnoStatus(std::string(path));
      close(fd);
      unlink(tmp.c_str());
      return s;
    }
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0 || rename(tmp.c_str(), host.c_str()) != 0) {
    Status s = errnoStatus(std::string(path));
    unlink(tmp.c_str());
    return s;
  }
  return Status::Ok();
}

Status SimFiles::removeFile(std::string_view path) {
  std::string host = hostPath(path);
  if (unlink(host.c_str()) != 0) return errnoStatus(std::string(path));
  return Status::Ok();
}

Status SimFiles::createDirectory(std::string_view path) {
  auto folder = openFolderNoFollow(root_, components(path), true, std::string(path));
  return folder.ok() ? Status::Ok() : folder.status();
}

Result<std::unique_ptr<NewFile>> SimFiles::createFile(std::string_view path) {
  std::vector<std::string> parts = components(path);
  if (parts.empty()) return Status::Invalid(std::string(path) + ": not a file name");
  std::string name = std::move(parts.back());
  parts.pop_back();
  auto folder = openFolderNoFollow(root_, parts, false, std::string(path));
  if (!folder.ok()) return folder.status();
  std::string matched = matchEntry(folder->get(), name);
  return startNewFile(std::move(*folder), matched, std::string(path));
}

Result<std::vector<DirEntry>> SimFiles::listDirectory(std::string_view path) {
  std::error_code ec;
  fs::directory_iterator it(hostPath(path), ec);
  if (ec) return Status::NotFound(std::string(path) + ": no such folder");
  std::vector<DirEntry> out;
  for (const auto& entry : it) {
    DirEntry d;
    d.name = entry.path().filename().string();
    d.isDirectory = entry.is_directory(ec);
    d.size = d.isDirectory ? 0 : entry.file_size(ec);
    out.push_back(std::move(d));
  }
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) {
    return foldCase(a.name) < foldCase(b.name);
  });
  return out;
}

Result<FileTime> SimFiles::lastWriteTime(std::string_view path) {
  struct stat st;
  std::string host = hostPath(path);
  if (stat(host.c_str(), &st) != 0) return errnoStatus(std::string(path));
  // 100-ns intervals from 1601 to 1970.
  constexpr uint64_t kEpochDelta = 116444736000000000ULL;
  return kEpochDelta + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ULL +
         static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
}

}  // namespace zelko::platform::sim
