// An entry's header fields are whatever an archiver (or an attacker) wrote. Input: one
// byte of flags (bit 0: the UTF-8 flag; bits 1-7: the host of version-made-by), four
// bytes of external attributes, four of MS-DOS date and time, then the name and the extra
// data separated by the first 0xFF byte. Whatever path comes out must stay below the
// destination: plain parts only, none that climbs, none the phone's file system refuses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ZelkoTools/zip_entry.h"
#include "platform/text.h"

namespace {

using namespace zelko::tools;

void require(bool condition) {
  if (!condition) std::abort();
}

uint32_t word(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }

void checkPath(std::string_view name, bool utf8Flag) {
  std::optional<EntryPath> path = entryPath(name, utf8Flag);
  if (!path) return;
  require(!path->parts.empty());
  for (const std::string& part : path->parts) {
    require(!part.empty() && part != "." && part != "..");
    require(zelko::platform::isValidUtf8(part));
    for (unsigned char c : part) require(c >= 0x20 && std::string_view("\\/:<>\"|?*\x7f").find(c) == std::string_view::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  bool utf8Flag = data[0] & 1;
  uint32_t versionMadeBy = static_cast<uint32_t>(data[0] >> 1) << 8;
  uint32_t external = word(data + 1);
  uint32_t dosDate = word(data + 5);
  std::string_view rest(reinterpret_cast<const char*>(data + 9), size - 9);
  size_t split = rest.find('\xFF');
  std::string_view name = rest.substr(0, split);
  std::string_view extra = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

  checkPath(name, utf8Flag);
  // Stripping again changes nothing: the clean-up runs to its end.
  std::string stripped = stripNamePrefix(name);
  require(stripNamePrefix(stripped) == stripped);
  // MS-DOS hosts know no links; others say so in the Unix mode.
  require(!entryKind(versionMadeBy, external).link || ((versionMadeBy >> 8) != 0 && (external >> 28) == 0xA));
  if (auto t = dosDateTime(dosDate)) {
    zelko::platform::DateTime copy = *t;
    require(zelko::platform::normalizeDateTime(copy) && copy.year >= 1980 && copy.year <= 2107);
  }
  (void)extendedTimestamp(extra);
  Zip64Sizes sizes = zip64Sizes(extra, true, true);
  require(!sizes.compressed || sizes.uncompressed);
  return 0;
}
