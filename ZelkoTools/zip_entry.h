// What the skin unpacker makes of one entry of a ZIP archive: the path it may be written
// to below the destination folder, its attributes and its times. Archives are outside
// input: a name is never trusted to stay below the destination by itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/files.h"

namespace zelko::tools {

// The longest entry name the phone's name buffer holds, in bytes.
inline constexpr size_t kMaxEntryNameBytes = 259;

// The traditional clean-up of a name, repeated until nothing changes: drop a leading
// drive prefix (any character followed by ":"), then one leading "\" or "/", then
// everything up to and including the first "\..\", "\../", "/../" or "/..\". It alone
// does not keep a name below the destination ("../x" passes it); entryPath() goes on.
std::string stripNamePrefix(std::string_view name);

struct EntryPath {
  std::vector<std::string> parts;  // folders, then the file's or folder's own name
  bool folder = false;             // the name ended with a separator
};

// The path below the destination folder for the entry named `raw` (bytes as stored; UTF-8
// when `utf8Flag`, the ZIP format's flag 0x800, else UTF-8 when they are valid UTF-8 and
// the code page 437 of the format otherwise). After stripNamePrefix, the name is split at
// "\" and "/"; empty and "." parts go, ".." parts at the start go too (they only climbed
// out of the destination). nullopt when the entry must not be written: an empty name, one
// longer than kMaxEntryNameBytes (cut, it would name another file), one holding a NUL,
// invalid UTF-8 under the flag, a ".." after a real part, or a part holding a character
// the phone's file system refuses (control characters and < > : " | ? *).
std::optional<EntryPath> entryPath(std::string_view raw, bool utf8Flag);

struct EntryKind {
  platform::FileAttributes attributes;
  bool folder = false;
  bool link = false;  // a Unix symbolic link: never written
};

// Attributes from the entry's external attributes, by the host in the high byte of
// version-made-by: MS-DOS, Macintosh, NTFS and VFAT (0, 7, 11, 14) keep MS-DOS flags in
// the low byte (0x01 read-only, 0x02 hidden, 0x04 system, 0x10 folder, 0x20 archive);
// any other host keeps a Unix mode in the high 16 bits: a folder (0x40000000), read-only
// while the owner may not write (0x800000 clear), always archive.
EntryKind entryKind(uint32_t versionMadeBy, uint32_t externalAttributes);

// The entry's MS-DOS date (high 16 bits) and time (low 16 bits) as a calendar time in the
// zone it was written in; nullopt when it names no real time.
std::optional<platform::DateTime> dosDateTime(uint32_t dosDate);

// The data of the first field tagged `tag` in an entry's extra data, walked field by field
// (tag and length, two little-endian bytes each). nullopt when there is none, or the walk
// meets a field that runs past the end.
std::optional<std::string_view> extraField(std::string_view extra, uint16_t tag);

// Sizes from the Zip64 field (0x0001) of a central-directory entry, for the 32-bit sizes
// that hold 0xFFFFFFFF to say "see there", in the format's order: uncompressed, then
// compressed. Each is nullopt when it was not asked for or the field does not hold it.
struct Zip64Sizes {
  std::optional<uint64_t> uncompressed;
  std::optional<uint64_t> compressed;
};
Zip64Sizes zip64Sizes(std::string_view extra, bool uncompressedThere, bool compressedThere);

// Times carried by an extended time stamp field ("UT", 0x5455), in seconds since 1970.
struct UnixTimes {
  std::optional<uint32_t> lastWrite;
  std::optional<uint32_t> lastAccess;
  std::optional<uint32_t> creation;
};

// The first "UT" field of an entry's extra data (see extraField); a time the field's flags
// announce but its data does not hold is left out. nullopt when there is no such field.
std::optional<UnixTimes> extendedTimestamp(std::string_view extra);

platform::FileTime unixToFileTime(uint32_t seconds);

}  // namespace zelko::tools
