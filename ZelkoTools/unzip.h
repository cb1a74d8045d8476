// Unpacking a skin archive (-unzip -zipfile:ARCHIVE -dirpath:FOLDER). Every entry is
// written below the destination folder, its folders made on the way, with its attributes
// and times; an entry is written whole or not at all, and one that cannot be written is
// skipped (and logged) while the others go on.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelko::platform {
class Clock;
class Files;
class Log;
}  // namespace zelko::platform

namespace zelko::tools {

// Limits that no skin comes near: a larger entry is skipped, and unpacking stops once the
// archive has written this much in all (an archive can promise far more than its size).
inline constexpr uint64_t kMaxEntryBytes = uint64_t{64} << 20;
inline constexpr uint64_t kMaxArchiveBytes = uint64_t{256} << 20;

struct UnpackCounts {
  int files = 0;    // written
  int folders = 0;  // folder entries made (or there already)
  int skipped = 0;  // entries left out
};

// Unpacks the archive at the device path `archive` into the device folder `destination`,
// which is made when missing. Entries whose names would leave it, links, damaged and
// encrypted entries are skipped; so is every entry when the archive cannot be read, or
// the destination is not a folder that can be made. MS-DOS times are taken in the
// device's time zone (`clock`).
UnpackCounts unpackArchive(platform::Files& files, platform::Clock& clock, platform::Log& log,
                           std::string_view archive, std::string_view destination);

}  // namespace zelko::tools
