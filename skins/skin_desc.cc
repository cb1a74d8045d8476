// Reading the skin description and the parameters of its lines.
#include <cctype>
#include <set>

#include "skins/skin_gen.h"
#include "skins/skin_kinds.h"

namespace zelko::skins {
namespace {

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

std::optional<int> side(const std::string& s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < 1 || v > Canvas::kMaxSide) return std::nullopt;
  return v;
}

// Takes one line into `d`; the reason when it is refused.
std::string takeLine(const std::vector<std::string>& f, Description& d, std::set<std::string>& seen) {
  if (f[0] == "color") {
    if (f.size() != 3) return "expected color NAME RRGGBB[AA]";
    auto c = hexColor(f[2]);
    if (!c) return "\"" + f[2] + "\" is not RRGGBB or RRGGBBAA";
    d.palette[f[1]] = *c;
    return "";
  }
  if (f[0] == "size") {
    if (f.size() != 4) return "expected size NAME WIDTH HEIGHT";
    auto w = side(f[2]), h = side(f[3]);
    if (!w || !h) return "a size is 1 to " + std::to_string(Canvas::kMaxSide) + " pixels a side";
    d.sizes[f[1]] = {*w, *h};
    return "";
  }
  if (f.size() < 4) return "expected FOLDER FILE SIZE KIND [PARAMS]";
  if (!safeName(f[0]) || !safeName(f[1])) return "folder or file name is not a plain name";
  if (folded(f[1]).size() < 5 || !folded(f[1]).ends_with(".png")) return "file name must end in .png";
  if (!d.sizes.contains(f[2])) return "size \"" + f[2] + "\" is not defined above";
  if (!seen.insert(folded(f[0]) + "/" + folded(f[1])).second) return f[0] + "/" + f[1] + " is listed twice";
  return "";
}

}  // namespace

std::optional<Rgba> hexColor(std::string_view s) {
  if (s.size() != 6 && s.size() != 8) return std::nullopt;
  uint8_t v[4] = {0, 0, 0, 255};
  for (size_t i = 0; i < s.size(); ++i) {
    int digit = std::isdigit(static_cast<unsigned char>(s[i]))    ? s[i] - '0'
                : std::isxdigit(static_cast<unsigned char>(s[i])) ? std::tolower(s[i]) - 'a' + 10
                                                                   : -1;
    if (digit < 0) return std::nullopt;
    v[i / 2] = static_cast<uint8_t>(i % 2 ? v[i / 2] * 16 + digit : digit);
  }
  return Rgba{v[0], v[1], v[2], v[3]};
}

Description parseDescription(std::string_view text) {
  Description d;
  std::set<std::string> seen;
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    auto fields = splitFields(text.substr(pos, end - pos));
    pos = end + 1;
    ++lineNo;
    if (fields.empty()) continue;
    std::string why = takeLine(fields, d, seen);
    if (!why.empty()) {
      Description failed;
      failed.error = "line " + std::to_string(lineNo) + ": " + why;
      return failed;
    }
    if (fields[0] != "color" && fields[0] != "size") {
      d.entries.push_back({fields[0], fields[1], fields[2], fields[3], {fields.begin() + 4, fields.end()}, lineNo});
    }
  }
  return d;
}

const std::string& Params::text(size_t i) const {
  if (i >= values_.size()) throw BadParam{"parameter " + std::to_string(i + 1) + " is missing"};
  return values_[i];
}

int Params::number(size_t i, int lo, int hi) const {
  const std::string& s = text(i);
  int v = 0;
  bool digits = !s.empty() && s.size() <= 6;
  for (char c : s) {
    digits = digits && c >= '0' && c <= '9';
    if (digits) v = v * 10 + (c - '0');
  }
  if (!digits) throw BadParam{"expected a number, got \"" + s + "\""};
  if (v < lo || v > hi) throw BadParam{s + " is outside " + std::to_string(lo) + ".." + std::to_string(hi)};
  return v;
}

Rgba Params::color(size_t i) const {
  const std::string& s = text(i);
  if (auto named = palette_.find(s); named != palette_.end()) return named->second;
  if (auto c = hexColor(s)) return *c;
  throw BadParam{"\"" + s + "\" is neither a palette colour nor RRGGBB[AA]"};
}

int Params::choice(size_t i, std::initializer_list<std::string_view> words) const {
  const std::string& s = text(i);
  int at = 0;
  std::string all;
  for (std::string_view w : words) {
    if (s == w) return at;
    all += (at++ ? ", " : "") + std::string(w);
  }
  throw BadParam{"\"" + s + "\" is not one of " + all};
}

}  // namespace zelko::skins
