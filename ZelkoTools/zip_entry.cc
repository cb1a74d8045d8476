#include "ZelkoTools/zip_entry.h"

#include <array>

#include "platform/text.h"

namespace zelko::tools {
namespace {

// Code page 437, bytes 0x80 to 0xFF: the ZIP format's code page for names without the
// UTF-8 flag, which MS-DOS and Windows archivers write.
constexpr std::array<uint16_t, 128> kCodePage437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
    0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
    0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1,
    0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD,
    0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
    0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
    0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
    0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393,
    0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6,
    0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0,
    0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

// Hosts of version-made-by that keep MS-DOS attributes.
bool dosHost(uint32_t host) { return host == 0 || host == 7 || host == 11 || host == 14; }

std::string codePage437ToUtf8(std::string_view bytes) {
  std::string utf16;
  for (unsigned char c : bytes) {
    uint16_t unit = c < 0x80 ? c : kCodePage437[c - 0x80];
    utf16.push_back(static_cast<char>(unit & 0xFF));
    utf16.push_back(static_cast<char>(unit >> 8));
  }
  return platform::utf16leToUtf8(utf16);
}

size_t utf8Length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

bool startsWithSeparatorDots(std::string_view name, size_t at) {
  return at + 4 <= name.size() && (name[at] == '\\' || name[at] == '/') && name[at + 1] == '.' &&
         name[at + 2] == '.' && (name[at + 3] == '\\' || name[at + 3] == '/');
}

// One pass of stripNamePrefix.
std::string stripOnce(std::string name) {
  if (!name.empty()) {
    size_t first = utf8Length(static_cast<unsigned char>(name[0]));
    if (first < name.size() && name[first] == ':') name.erase(0, first + 1);
  }
  if (!name.empty() && (name[0] == '\\' || name[0] == '/')) name.erase(0, 1);
  for (size_t i = 0; i < name.size(); ++i) {
    if (startsWithSeparatorDots(name, i)) {
      name.erase(0, i + 4);
      break;
    }
  }
  return name;
}

bool allowedPart(std::string_view part) {
  for (unsigned char c : part) {
    if (c < 0x20 || c == 0x7F || std::string_view("<>:\"|?*").find(static_cast<char>(c)) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

uint32_t littleEndian(std::string_view bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
  return value;
}

}  // namespace

std::string stripNamePrefix(std::string_view name) {
  std::string current(name);
  for (;;) {
    std::string next = stripOnce(current);
    if (next == current) return current;
    current = std::move(next);
  }
}

std::optional<EntryPath> entryPath(std::string_view raw, bool utf8Flag) {
  if (raw.empty() || raw.size() > kMaxEntryNameBytes || raw.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  bool utf8 = platform::isValidUtf8(raw);
  if (utf8Flag && !utf8) return std::nullopt;
  std::string name = stripNamePrefix(utf8 ? std::string(raw) : codePage437ToUtf8(raw));

  EntryPath path;
  path.folder = !name.empty() && (name.back() == '/' || name.back() == '\\');
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!path.parts.empty()) return std::nullopt;
      continue;
    }
    if (!allowedPart(part)) return std::nullopt;
    path.parts.push_back(std::move(part));
  }
  if (path.parts.empty()) return std::nullopt;
  return path;
}

EntryKind entryKind(uint32_t versionMadeBy, uint32_t externalAttributes) {
  EntryKind kind;
  if (dosHost((versionMadeBy >> 8) & 0xFF)) {
    kind.attributes.readOnly = externalAttributes & 0x01;
    kind.attributes.hidden = externalAttributes & 0x02;
    kind.attributes.system = externalAttributes & 0x04;
    kind.folder = externalAttributes & 0x10;
    kind.attributes.archive = externalAttributes & 0x20;
    return kind;
  }
  kind.folder = externalAttributes & 0x40000000;
  kind.attributes.readOnly = !(externalAttributes & 0x800000);
  kind.attributes.archive = true;
  kind.link = ((externalAttributes >> 16) & 0170000) == 0120000;
  return kind;
}

std::optional<platform::DateTime> dosDateTime(uint32_t dosDate) {
  uint32_t date = dosDate >> 16;
  uint32_t time = dosDate & 0xFFFF;
  platform::DateTime t;
  t.year = static_cast<int>((date >> 9) + 1980);
  t.month = static_cast<int>((date >> 5) & 0x0F);
  t.day = static_cast<int>(date & 0x1F);
  t.hour = static_cast<int>(time >> 11);
  t.minute = static_cast<int>((time >> 5) & 0x3F);
  t.second = static_cast<int>((time & 0x1F) * 2);
  if (!platform::normalizeDateTime(t)) return std::nullopt;
  return t;
}

std::optional<std::string_view> extraField(std::string_view extra, uint16_t tag) {
  size_t at = 0;
  while (at + 4 <= extra.size()) {
    uint32_t fieldTag = littleEndian(extra, at, 2);
    size_t length = littleEndian(extra, at + 2, 2);
    if (length > extra.size() - at - 4) return std::nullopt;
    if (fieldTag == tag) return extra.substr(at + 4, length);
    at += 4 + length;
  }
  return std::nullopt;
}

Zip64Sizes zip64Sizes(std::string_view extra, bool uncompressedThere, bool compressedThere) {
  Zip64Sizes sizes;
  std::optional<std::string_view> field = extraField(extra, 0x0001);
  if (!field) return sizes;
  size_t next = 0;
  for (auto [wanted, size] : {std::pair{uncompressedThere, &sizes.uncompressed},
                              {compressedThere, &sizes.compressed}}) {
    if (!wanted) continue;
    if (next + 8 > field->size()) break;
    *size = uint64_t{littleEndian(*field, next, 4)} | uint64_t{littleEndian(*field, next + 4, 4)} << 32;
    next += 8;
  }
  return sizes;
}

std::optional<UnixTimes> extendedTimestamp(std::string_view extra) {
  std::optional<std::string_view> data = extraField(extra, 0x5455);  // "UT"
  if (!data) return std::nullopt;
  UnixTimes times;
  if (data->empty()) return times;
  uint8_t flags = static_cast<uint8_t>((*data)[0]);
  size_t next = 1;
  for (auto [bit, time] : {std::pair{1, &times.lastWrite}, {2, &times.lastAccess}, {4, &times.creation}}) {
    if (!(flags & bit)) continue;
    if (next + 4 > data->size()) break;
    *time = littleEndian(*data, next, 4);
    next += 4;
  }
  return times;
}

platform::FileTime unixToFileTime(uint32_t seconds) {
  return uint64_t{seconds} * 10000000ULL + 116444736000000000ULL;
}

}  // namespace zelko::tools
