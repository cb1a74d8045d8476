#include "ZelkoTools/zip_archive.h"

#include "ZelkoTools/zip_entry.h"

#include <unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zelko::tools {
namespace {

using platform::Result;
using platform::Status;

constexpr uint32_t kEncrypted = 0x1;
// The longest name or extra field a directory entry can hold (their lengths are 16 bits).
constexpr size_t kMaxFieldBytes = 0xFFFF;
// A 32-bit size that says "see the Zip64 field".
constexpr uint64_t kSizeInZip64 = 0xFFFFFFFF;

Status damage(const std::string& name, const std::string& what) {
  return Status::Invalid(name + ": " + what);
}

}  // namespace

Result<std::unique_ptr<ZipArchive>> ZipArchive::open(const std::string& hostPath) {
  if (FILE* probe = std::fopen(hostPath.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    return Status::NotFound("cannot open " + hostPath + ": " + std::strerror(errno));
  }
  unzFile file = unzOpen64(hostPath.c_str());
  if (!file) return Status::Invalid(hostPath + " is no ZIP archive, or its directory is damaged");
  return std::unique_ptr<ZipArchive>(new ZipArchive(file));
}

ZipArchive::~ZipArchive() { unzClose(file_); }

bool ZipArchive::first() { return readEntry(unzGoToFirstFile(file_)); }

bool ZipArchive::next() { return readEntry(unzGoToNextFile(file_)); }

bool ZipArchive::readEntry(int walkResult) {
  if (walkResult != UNZ_OK) {
    damaged_ = walkResult != UNZ_END_OF_LIST_OF_FILE;
    return false;
  }
  unz_file_info64 info;
  std::string name(kMaxFieldBytes, '\0');
  std::string extra(kMaxFieldBytes, '\0');
  if (unzGetCurrentFileInfo64(file_, &info, name.data(), name.size(), extra.data(), extra.size(),
                              nullptr, 0) != UNZ_OK) {
    damaged_ = true;
    return false;
  }
  // The stored length, not the first NUL: a NUL inside a name is for the caller to see.
  name.resize(std::min<size_t>(info.size_filename, name.size()));
  extra.resize(std::min<size_t>(info.size_file_extra, extra.size()));
  entry_ = ZipEntry{std::move(name),
                    static_cast<uint32_t>(info.version),
                    static_cast<uint32_t>(info.flag),
                    static_cast<uint32_t>(info.compression_method),
                    static_cast<uint32_t>(info.dosDate),
                    static_cast<uint32_t>(info.crc),
                    static_cast<uint32_t>(info.external_fa),
                    info.compressed_size,
                    info.uncompressed_size};
  // minizip 1.1 on a 64-bit host misses the Zip64 sizes of an archive that always writes
  // them (zip -fz): they are taken here, and the data is then read up to that size.
  Zip64Sizes wide = zip64Sizes(extra, info.uncompressed_size == kSizeInZip64,
                               info.compressed_size == kSizeInZip64);
  sizes_from_zip64_ = wide.uncompressed.has_value();
  if (wide.uncompressed) entry_.uncompressedSize = *wide.uncompressed;
  if (wide.compressed) entry_.compressedSize = *wide.compressed;
  return true;
}

Result<std::string> ZipArchive::localExtra() {
  int size = unzGetLocalExtrafield(file_, nullptr, 0);
  if (size < 0) return damage(entry_.name, "unreadable local header");
  std::string extra(static_cast<size_t>(size), '\0');
  if (size > 0 && unzGetLocalExtrafield(file_, extra.data(), static_cast<unsigned>(size)) != size) {
    return damage(entry_.name, "unreadable local header");
  }
  return extra;
}

Result<std::string> ZipArchive::inflate(const std::function<Status(std::string_view)>& sink) {
  if (entry_.flags & kEncrypted) return damage(entry_.name, "encrypted");
  if (entry_.method != 0 && entry_.method != Z_DEFLATED) {
    return damage(entry_.name, "compressed with method " + std::to_string(entry_.method));
  }
  if (unzOpenCurrentFile(file_) != UNZ_OK) return damage(entry_.name, "damaged local header");
  Result<std::string> extra = localExtra();
  uint64_t total = 0;
  uLong crc = crc32(0, nullptr, 0);
  Status failure = extra.ok() ? Status::Ok() : extra.status();
  while (failure.ok() && total < entry_.uncompressedSize) {
    uint64_t left = entry_.uncompressedSize - total;
    int n = unzReadCurrentFile(file_, buffer_.data(), static_cast<unsigned>(std::min<uint64_t>(left, buffer_.size())));
    if (n <= 0) {
      failure = damage(entry_.name, n == 0 ? "shorter than its directory says" : "damaged data");
      break;
    }
    total += static_cast<uint64_t>(n);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer_.data()), static_cast<uInt>(n));
    failure = sink(std::string_view(buffer_.data(), static_cast<size_t>(n)));
  }
  // Data beyond the stated size means the directory lies. Where minizip missed the Zip64
  // sizes it would read on past the entry, so there the size taken here is the end.
  if (failure.ok() && !sizes_from_zip64_ && unzReadCurrentFile(file_, buffer_.data(), 1) != 0) {
    failure = damage(entry_.name, "longer than its directory says");
  }
  int closed = unzCloseCurrentFile(file_);
  if (!failure.ok()) return failure;
  // minizip checks the CRC only of an entry read to its end by its own count.
  if (crc != entry_.crc || (!sizes_from_zip64_ && closed != UNZ_OK)) return damage(entry_.name, "damaged data (CRC)");
  return extra;
}

}  // namespace zelko::tools
