#include "ZelkoTools/unzip.h"

#include <memory>
#include <string>

#include "ZelkoTools/zip_archive.h"
#include "ZelkoTools/zip_entry.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/log.h"

namespace zelko::tools {
namespace {

using platform::Status;

constexpr uint32_t kUtf8Name = 0x800;

std::string join(std::string folder, const std::vector<std::string>& parts, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) folder += '\\';
    folder += parts[i];
  }
  return folder;
}

// The three times of an entry: its MS-DOS time, local to the device, for all of them,
// each replaced by the extended time stamp's when that carries it.
platform::FileTimes entryTimes(platform::Clock& clock, uint32_t dosDate, std::string_view extra) {
  platform::FileTimes times;
  if (auto local = dosDateTime(dosDate)) {
    platform::FileTime dos = platform::toFileTime(clock.toUtc(*local));
    times = {dos, dos, dos};
  }
  if (auto stamp = extendedTimestamp(extra)) {
    if (stamp->lastWrite) times.lastWrite = unixToFileTime(*stamp->lastWrite);
    if (stamp->lastAccess) times.lastAccess = unixToFileTime(*stamp->lastAccess);
    if (stamp->creation) times.creation = unixToFileTime(*stamp->creation);
  }
  return times;
}

class Unpacker {
 public:
  Unpacker(platform::Files& files, platform::Clock& clock, platform::Log& log, std::string archive,
           std::string destination)
      : files_(files), clock_(clock), log_(log), archive_(std::move(archive)),
        destination_(std::move(destination)) {}

  UnpackCounts run(ZipArchive& zip) {
    for (bool more = zip.first(); more && written_ < kMaxArchiveBytes; more = zip.next()) {
      Status s = unpack(zip);
      if (!s.ok()) {
        ++counts_.skipped;
        log_.failure(archive_ + ": entry skipped", s);
      }
    }
    if (zip.damaged()) log_.write(archive_ + ": the archive's directory is damaged; the rest is left out");
    if (written_ >= kMaxArchiveBytes) log_.write(archive_ + ": too large; the rest is left out");
    return counts_;
  }

 private:
  Status unpack(ZipArchive& zip) {
    const ZipEntry& entry = zip.entry();
    std::optional<EntryPath> path = entryPath(entry.name, entry.flags & kUtf8Name);
    if (!path) return Status::Invalid("unsafe name");
    EntryKind kind = entryKind(entry.versionMadeBy, entry.externalAttributes);
    if (kind.link) return Status::Invalid(path->parts.back() + " is a link");
    if (kind.folder || path->folder) {
      Status s = files_.createDirectory(join(destination_, path->parts, path->parts.size()));
      if (s.ok()) ++counts_.folders;
      return s;
    }
    if (entry.uncompressedSize > kMaxEntryBytes) return Status::Invalid(path->parts.back() + " is too large");
    if (path->parts.size() > 1) {
      if (Status s = files_.createDirectory(join(destination_, path->parts, path->parts.size() - 1)); !s.ok()) {
        return s;
      }
    }
    return writeFile(zip, join(destination_, path->parts, path->parts.size()), kind.attributes);
  }

  Status writeFile(ZipArchive& zip, const std::string& target, const platform::FileAttributes& attributes) {
    auto file = files_.createFile(target);
    if (!file.ok()) return file.status();
    auto extra = zip.inflate([&](std::string_view chunk) {
      written_ += chunk.size();
      if (written_ > kMaxArchiveBytes) return Status::Invalid("the archive is too large");
      return (*file)->write(chunk);
    });
    if (!extra.ok()) return extra.status();
    Status s = (*file)->commit(attributes, entryTimes(clock_, zip.entry().dosDate, *extra));
    if (s.ok()) ++counts_.files;
    return s;
  }

  platform::Files& files_;
  platform::Clock& clock_;
  platform::Log& log_;
  std::string archive_;
  std::string destination_;  // ends with a separator
  uint64_t written_ = 0;
  UnpackCounts counts_;
};

}  // namespace

UnpackCounts unpackArchive(platform::Files& files, platform::Clock& clock, platform::Log& log,
                           std::string_view archive, std::string_view destination) {
  std::string folder(destination);
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
  auto zip = ZipArchive::open(files.hostPath(archive));
  if (!zip.ok()) {
    log.failure("cannot unpack " + std::string(archive), zip.status());
    return {};
  }
  if (Status s = files.createDirectory(folder); !s.ok()) {
    log.failure("cannot unpack " + std::string(archive), s);
    return {};
  }
  return Unpacker(files, clock, log, std::string(archive), folder).run(**zip);
}

}  // namespace zelko::tools
