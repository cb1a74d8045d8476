// The phone's file system. Paths are device paths ("\Program Files\ZelkoToday\x.ini");
// each component matches an existing one without regard to case, as on the phone.
#pragma once

#include <cstdint>
#include <memory>
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

// What the phone keeps with a file beside its bytes.
struct FileAttributes {
  bool readOnly = false;
  bool hidden = false;
  bool system = false;
  bool archive = false;
};

// File times in UTC; a time that is not given is left as writing the file set it.
struct FileTimes {
  std::optional<FileTime> creation;
  std::optional<FileTime> lastAccess;
  std::optional<FileTime> lastWrite;
};

// A file being written piece by piece (Files::createFile). Nothing of it is visible under
// its name before commit(); a writer destroyed without a commit, or whose program is
// killed meanwhile, leaves nothing behind.
class NewFile {
 public:
  NewFile() = default;
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  virtual ~NewFile() = default;

  // IoError when the bytes cannot be written (a full disk); the file is then unusable.
  virtual Status write(std::string_view bytes) = 0;
  // Puts the whole file in place at once, replacing a file of that name, with these
  // attributes and times. After a failure nothing is in place and the old file stays.
  virtual Status commit(const FileAttributes& attributes, const FileTimes& times) = 0;
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
  // Creates the folder and its missing parents. The phone's file system has no links: on
  // the emulated device a path that passes through a link of the host is refused (Invalid).
  virtual Status createDirectory(std::string_view path) = 0;
  // Starts writing the file `path` (see NewFile); its folder must exist (NotFound). A path
  // that passes through a link of the host is refused (Invalid), as createDirectory.
  virtual Result<std::unique_ptr<NewFile>> createFile(std::string_view path) = 0;
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
