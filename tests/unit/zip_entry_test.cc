// What the unpacker makes of an archive's entry headers: where a name may be written,
// whatever it holds, and the attributes and times real archivers record.
#include "ZelkoTools/zip_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelko::tools {
namespace {

using namespace std::string_literals;

// The path an entry lands on, parts joined with "/"; "<refused>" when it is not written.
std::string landing(const std::string& raw, bool utf8Flag = false) {
  auto path = entryPath(raw, utf8Flag);
  if (!path) return "<refused>";
  std::string out;
  for (const std::string& part : path->parts) out += (out.empty() ? "" : "/") + part;
  return path->folder ? out + "/" : out;
}

TEST(ZipEntryNames, HostileNamesStayBelowTheDestinationOrAreRefused) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // The traditional rule handles these by itself...
      {"..\\..\\skins\\x.png", "skins/x.png"},
      {"C:\\Windows\\x.png", "Windows/x.png"},
      {"/etc/passwd", "etc/passwd"},
      {"//host/share/x", "host/share/x"},
      {"\\..\\x", "x"},
      {"a/../../x", "x"},
      {"C:..\\..\\x", "x"},
      {"a:b:c", "c"},
      // ...and these escape it: a leading ".." has no separator before it.
      {"../x", "x"},
      {"..\\..\\x", "x"},
      {"..", "<refused>"},
      {"a/b/..", "<refused>"},
      {"a/b/../../..", "<refused>"},
      {"skins/./default//x.png", "skins/default/x.png"},
      {"skins/default/", "skins/default/"},
      {"\xC3\xA9:\\x", "x"},  // a drive letter that takes two bytes
      {"", "<refused>"},
      {"/", "<refused>"},
      {"a\0/../../x"s, "<refused>"},
      {"con:x", "<refused>"},
      {"a/b:c", "<refused>"},
      {"a/b\x01", "<refused>"},
      {"what?.png", "<refused>"},
      {std::string(kMaxEntryNameBytes, 'a'), std::string(kMaxEntryNameBytes, 'a')},
      {std::string(kMaxEntryNameBytes + 1, 'a'), "<refused>"},
  };
  for (const auto& [raw, want] : cases) EXPECT_EQ(landing(raw), want) << raw;
}

TEST(ZipEntryNames, NamesAreUtf8OrTheFormatsCodePage) {
  EXPECT_EQ(landing("caf\xC3\xA9.png"), "caf\xC3\xA9.png");
  EXPECT_EQ(landing("caf\xC3\xA9.png", true), "caf\xC3\xA9.png");
  // Not UTF-8: code page 437, where 0x82 is e acute and 0xE1 sharp s.
  EXPECT_EQ(landing("caf\x82 \xE1.png"), "caf\xC3\xA9 \xC3\x9F.png");
  // The UTF-8 flag promises UTF-8: anything else is a damaged name.
  EXPECT_EQ(landing("caf\x82.png", true), "<refused>");
}

TEST(ZipEntryAttributes, DosHostsKeepTheirFlagsOthersAUnixMode) {
  for (uint32_t host : {0u, 7u, 11u, 14u}) {
    EntryKind k = entryKind(host << 8 | 20, 0x01 | 0x02 | 0x04 | 0x20);
    EXPECT_TRUE(k.attributes.readOnly && k.attributes.hidden && k.attributes.system && k.attributes.archive);
    EXPECT_FALSE(k.folder);
    EXPECT_TRUE(entryKind(host << 8, 0x10).folder);
  }
  const uint32_t unixHost = 3 << 8 | 30;
  EntryKind file = entryKind(unixHost, 0100644u << 16);
  EXPECT_FALSE(file.attributes.readOnly || file.folder || file.link || file.attributes.hidden);
  EXPECT_TRUE(file.attributes.archive);
  EXPECT_TRUE(entryKind(unixHost, 0120777u << 16).link);
  // A Unix host's MS-DOS byte does not count.
  EXPECT_FALSE(entryKind(unixHost, (0100644u << 16) | 0x01).attributes.readOnly);
}

TEST(ZipEntryTimes, DosDateAndTimeAreReadAndImpossibleOnesRefused) {
  // 2024-02-29 13:45:58: date (44 << 9 | 2 << 5 | 29), time (13 << 11 | 45 << 5 | 29).
  auto t = dosDateTime((44u << 9 | 2u << 5 | 29u) << 16 | (13u << 11 | 45u << 5 | 29u));
  ASSERT_TRUE(t);
  EXPECT_EQ(platform::formatIsoDateTime(*t), "2024-02-29T13:45:58");
  EXPECT_FALSE(dosDateTime(0));                                  // month 0
  EXPECT_FALSE(dosDateTime((43u << 9 | 2u << 5 | 29u) << 16));   // 29 February 2023
  EXPECT_FALSE(dosDateTime((44u << 9 | 1u << 5 | 1u) << 16 | 24u << 11));  // hour 24
}

std::string field(uint16_t tag, const std::string& data) {
  std::string out;
  for (uint32_t v : {uint32_t{tag}, uint32_t(data.size())}) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
  }
  return out + data;
}

std::string le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

TEST(ZipEntryTimes, TheExtendedTimestampGivesWhatItCarries) {
  // Info-ZIP's own archives (a "ux" field, then "UT" with the last write) are unpacked
  // end to end.
  auto all = extendedTimestamp(field(0x5455, "\x07"s + le32(1) + le32(2) + le32(3)));
  ASSERT_TRUE(all);
  EXPECT_EQ(all->lastWrite, 1u);
  EXPECT_EQ(all->lastAccess, 2u);
  EXPECT_EQ(all->creation, 3u);
  // The central directory's copy announces three times and holds one.
  auto central = extendedTimestamp(field(0x5455, "\x07"s + le32(9)));
  ASSERT_TRUE(central);
  EXPECT_EQ(central->lastWrite, 9u);
  EXPECT_FALSE(central->lastAccess || central->creation);
  // A field that runs past the end stops the walk before the stamp.
  EXPECT_FALSE(extendedTimestamp(field(0x7875, "ab").substr(0, 5) + field(0x5455, "\x01"s + le32(1))));
  EXPECT_FALSE(extendedTimestamp("\x55\x54\x05"s));
  EXPECT_FALSE(extendedTimestamp(""));
}

TEST(ZipEntrySizes, Zip64SizesAreTakenInTheirOrderForTheSizesThatAskForThem) {
  std::string both = field(0x0001, le32(0x24) + le32(1) + le32(0x20) + le32(0));
  Zip64Sizes sizes = zip64Sizes(both, true, true);
  EXPECT_EQ(sizes.uncompressed, 0x100000024ULL);
  EXPECT_EQ(sizes.compressed, 0x20u);
  // Only the compressed size was too large: the field starts with it.
  EXPECT_EQ(zip64Sizes(field(0x0001, le32(7) + le32(0)), false, true).compressed, 7u);
  EXPECT_FALSE(zip64Sizes(field(0x0001, le32(7)), true, false).uncompressed);
  EXPECT_FALSE(zip64Sizes(both, false, false).uncompressed);
}

}  // namespace
}  // namespace zelko::tools
