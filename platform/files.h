// The phone's file system. Paths are device paths ("\Program Files\ZelkoToday\x.ini");
// each component matches an existing one without regard to case, as on the phone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/status.h"

namespace zelko::platform {

struct DirEntry {
  std::string name;
  bool isDirectory = false;
  uint64_t size = 0;
};

class Files {
 public:
  Files() = default;
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;
  virtual ~Files() = default;

  virtual bool exists(std::string_view path) = 0;
  virtual bool isDirectory(std::string_view path) = 0;
  // The whole file as bytes; NotFound / IoError, Invalid for what is not a regular file
  // or is past the device's size limit for a read.
  virtual Result<std::string> readFile(std::string_view path) = 0;
  // The file as UTF-8 text: UTF-8 (a BOM is dropped) or UTF-16LE with a BOM (converted).
  virtual Result<std::string> readText(std::string_view path) = 0;
  // Replaces the file with `bytes` all at once: a reader sees the old or the new file,
  // never a part. The folder must exist.
  virtual Status writeFile(std::string_view path, std::string_view bytes) = 0;
  virtual Status removeFile(std::string_view path) = 0;
  // Creates the folder and its missing parents.
  virtual Status createDirectory(std::string_view path) = 0;
  // The entries of a folder, sorted by name without regard to case.
  virtual Result<std::vector<DirEntry>> listDirectory(std::string_view path) = 0;
  // Last write time, in UTC.
  virtual Result<FileTime> lastWriteTime(std::string_view path) = 0;
  // Where the file lives on the host, for libraries that open files themselves (SQLite,
  // libcurl, minizip). Existing components are matched without regard to case; the rest
  // is kept as given.
  virtual std::string hostPath(std::string_view path) = 0;
};

}  // namespace zelko::platform
