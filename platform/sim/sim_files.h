// The phone's file system inside the device folder's fs/.
#pragma once

#include <filesystem>

#include "platform/files.h"

namespace zelko::platform::sim {

class SimFiles final : public Files {
 public:
  // The largest file readFile and readText take: a phone's files are far smaller, and a
  // device file or an endless one must not exhaust the memory of the program reading it.
  static constexpr size_t kMaxReadBytes = size_t{64} << 20;

  explicit SimFiles(std::filesystem::path root) : root_(std::move(root)) {}

  bool exists(std::string_view path) override;
  bool isDirectory(std::string_view path) override;
  Result<std::string> readFile(std::string_view path) override;
  Result<std::string> readText(std::string_view path) override;
  Status writeFile(std::string_view path, std::string_view bytes) override;
  Status removeFile(std::string_view path) override;
  Status createDirectory(std::string_view path) override;
  Result<std::unique_ptr<NewFile>> createFile(std::string_view path) override;
  Result<std::vector<DirEntry>> listDirectory(std::string_view path) override;
  Result<FileTime> lastWriteTime(std::string_view path) override;
  std::string hostPath(std::string_view path) override;

  // The device path of a host file inside fs/; nullopt for a file elsewhere.
  std::optional<std::string> devicePath(const std::filesystem::path& host) const;
  const std::filesystem::path& root() const { return root_; }

 private:
  // hostPath(), and when `found` is given whether the file is there: the look that finds
  // the host path mostly answers that too.
  std::string resolve(std::string_view path, bool* found);

  std::filesystem::path root_;
};

}  // namespace zelko::platform::sim
