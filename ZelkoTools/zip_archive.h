// A ZIP archive on the host, read with minizip (the central directory and the entries'
// headers) and zlib (inflating, the CRC). Nothing here trusts the archive: names come back
// as stored, for zip_entry.h to judge, and an entry's data counts only when it inflates to
// exactly the size and CRC its directory entry states.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelko::tools {

// The fields of a central-directory entry the unpacker uses.
struct ZipEntry {
  std::string name;  // the stored bytes, whatever they are
  uint32_t versionMadeBy = 0;
  uint32_t flags = 0;  // 0x1 encrypted, 0x800 UTF-8 name
  uint32_t method = 0;
  uint32_t dosDate = 0;
  uint32_t crc = 0;
  uint32_t externalAttributes = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
};

class ZipArchive {
 public:
  // The size of the chunks an entry's data is handed over in.
  static constexpr size_t kChunkBytes = 16384;

  // Invalid when the file is no ZIP archive (or its directory is damaged), NotFound when
  // it cannot be opened.
  static platform::Result<std::unique_ptr<ZipArchive>> open(const std::string& hostPath);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Walks the central directory in order: the first entry, then the next. False at the end,
  // and where the directory cannot be read on (then damaged() says so).
  bool first();
  bool next();
  bool damaged() const { return damaged_; }
  // The entry the walk stands on.
  const ZipEntry& entry() const { return entry_; }

  // Inflates the current entry, handing its data to `sink` chunk by chunk, and returns its
  // local extra field. Invalid when the data is damaged (it does not inflate, or not to
  // the size and CRC of the directory), encrypted or stored with a method other than
  // stored or deflated; an error of `sink` ends the read and comes back as it is.
  platform::Result<std::string> inflate(const std::function<platform::Status(std::string_view)>& sink);

 private:
  explicit ZipArchive(void* file) : file_(file), buffer_(kChunkBytes) {}
  bool readEntry(int walkResult);
  platform::Result<std::string> localExtra();

  void* file_;
  std::vector<char> buffer_;  // one for the whole archive
  ZipEntry entry_;
  bool sizes_from_zip64_ = false;  // minizip's own sizes of the entry are wrong
  bool damaged_ = false;
};

}  // namespace zelko::tools
