// PNG writing, the description reader and the generator loop.
#include "skins/skin_gen.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

namespace zelko::skins {
namespace {

void putU32(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v >> 24));
  out.push_back(static_cast<char>(v >> 16));
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}

void putChunk(std::string& out, const char type[4], const std::string& data) {
  putU32(out, static_cast<uint32_t>(data.size()));
  size_t typeAt = out.size();
  out.append(type, 4);
  out += data;
  // The CRC covers the type and the data, not the length.
  uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.data() + typeAt), 4 + data.size());
  putU32(out, static_cast<uint32_t>(crc));
}

bool safeName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name) {
    // Device paths use "\", host paths "/": neither may appear inside one name, nor
    // anything a phone file name cannot hold.
    if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::string folded(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i == start) break;
    // A "#" field starts a comment that runs to the end of the line.
    if (line[start] == '#') break;
    fields.emplace_back(line.substr(start, i - start));
  }
  return fields;
}

}  // namespace

std::string encodePng(const Image& image) {
  const int w = image.width(), h = image.height();
  std::string out("\x89PNG\r\n\x1a\n", 8);

  std::string ihdr;
  putU32(ihdr, static_cast<uint32_t>(w));
  putU32(ihdr, static_cast<uint32_t>(h));
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, filter 0, no interlace
  putChunk(out, "IHDR", ihdr);

  // Each row is preceded by its filter byte; 0 (none) keeps the writer simple and the
  // images are small enough that a better filter would not matter.
  std::string raw;
  raw.reserve(static_cast<size_t>(h) * (1 + static_cast<size_t>(w) * 4));
  const auto& px = image.pixels();
  for (int y = 0; y < h; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(px.data()) + static_cast<size_t>(y) * w * 4,
               static_cast<size_t>(w) * 4);
  }
  uLongf packedSize = compressBound(raw.size());
  std::string packed(packedSize, '\0');
  // Cannot fail: the buffer is compressBound() large and the level is valid.
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
            reinterpret_cast<const Bytef*>(raw.data()), raw.size(), Z_BEST_COMPRESSION);
  packed.resize(packedSize);
  putChunk(out, "IDAT", packed);
  putChunk(out, "IEND", "");
  return out;
}

Description parseDescription(std::string_view text) {
  Description d;
  std::set<std::string> seen;
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    auto fields = splitFields(line);
    if (fields.empty()) continue;
    auto fail = [&](const std::string& why) {
      d.entries.clear();
      d.error = "line " + std::to_string(lineNo) + ": " + why;
      return d;
    };
    if (fields.size() < 3) return fail("expected FOLDER FILE KIND [PARAMS]");
    if (!safeName(fields[0]) || !safeName(fields[1])) return fail("folder or file name is not a plain name");
    if (folded(fields[1]).size() < 5 || !folded(fields[1]).ends_with(".png")) {
      return fail("file name must end in .png");
    }
    if (!seen.insert(folded(fields[0]) + "/" + folded(fields[1])).second) {
      return fail(fields[0] + "/" + fields[1] + " is listed twice");
    }
    SkinEntry e{fields[0], fields[1], fields[2], {fields.begin() + 3, fields.end()}, lineNo};
    d.entries.push_back(std::move(e));
  }
  return d;
}

int generateSkin(const Description& description, const std::string& outDir, std::string* error) {
  namespace fs = std::filesystem;
  int written = 0;
  for (const SkinEntry& e : description.entries) {
    std::string why;
    auto image = drawEntry(e, &why);
    if (!image) {
      *error = "line " + std::to_string(e.line) + " (" + e.file + "): " + why;
      return -1;
    }
    fs::path folder = fs::path(outDir) / e.folder;
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::string bytes = encodePng(*image);
    std::ofstream out(folder / e.file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      *error = "cannot write " + (folder / e.file).string();
      return -1;
    }
    ++written;
  }
  return written;
}

}  // namespace zelko::skins
