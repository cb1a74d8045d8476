// The kinds of drawing a description line can ask for. Each kind has a fixed size so
// that images of one kind line up on the pages whatever their content.
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>

#include "skins/skin_gen.h"

namespace zelko::skins {
namespace {

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kRed{215, 45, 40, 255};
constexpr Rgba kOrange{245, 150, 20, 255};
constexpr Rgba kGreen{60, 185, 75, 255};
constexpr Rgba kGrey{90, 90, 90, 255};
constexpr Rgba kDark{35, 40, 48, 255};

using Params = std::vector<std::string>;

// Thrown inside this file only, to leave a kind at its first bad parameter; drawEntry
// turns it into an error text.
struct BadParam {
  std::string why;
};

int number(const std::string& s, int lo, int hi) {
  int v = 0;
  if (s.empty() || s.size() > 6) throw BadParam{"expected a number, got \"" + s + "\""};
  for (char c : s) {
    if (c < '0' || c > '9') throw BadParam{"expected a number, got \"" + s + "\""};
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) {
    throw BadParam{s + " is outside " + std::to_string(lo) + ".." + std::to_string(hi)};
  }
  return v;
}

Rgba color(const std::string& s) {
  auto bad = [&s] { return BadParam{"expected RRGGBB or RRGGBBAA, got \"" + s + "\""}; };
  if (s.size() != 6 && s.size() != 8) throw bad();
  auto hex = [&](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw bad();
  };
  uint8_t v[4] = {0, 0, 0, 255};
  for (size_t i = 0; i < s.size(); i += 2) v[i / 2] = static_cast<uint8_t>(hex(s[i]) * 16 + hex(s[i + 1]));
  return {v[0], v[1], v[2], v[3]};
}

Rgba shade(Rgba c, double f) {
  auto ch = [f](uint8_t x) { return static_cast<uint8_t>(std::clamp(x * f, 0.0, 255.0)); };
  return {ch(c.r), ch(c.g), ch(c.b), c.a};
}

// Outlined so that a caption reads on light and dark pages alike.
void caption(Image& img, int x, int y, const std::string& s) {
  for (int d = 0; d < 4; ++d) img.text(x + (d == 0) - (d == 1), y + (d == 2) - (d == 3), s, 1, kBlack);
  img.text(x, y, s, 1, kWhite);
}

Image digit(const Params& p) {
  if (p[0].size() != 1) throw BadParam{"a digit image shows one character"};
  Image img(24, 40);
  img.fillRoundRect(0, 0, 24, 40, 4, kDark);
  img.fillRect(0, 19, 24, 2, {0, 0, 0, 110});  // the fold of a flip card
  img.text(2, 6, p[0], 4, kWhite);
  return img;
}

Image label(const Params& p) {
  Image img(number(p[0], 1, 512), number(p[1], 1, 512));
  int w = img.width(), h = img.height();
  img.fillRoundRect(0, 0, w, h, std::min(w, h) / 6, color(p[2]));
  img.textCentered(2, 2, w - 4, h - 4, p[4], color(p[3]));
  return img;
}

Image panel(const Params& p) {
  Image img(number(p[0], 1, Image::kMaxSide), number(p[1], 1, Image::kMaxSide));
  img.fillRect(0, 0, img.width(), img.height(), color(p[2]));
  img.strokeRect(0, 0, img.width(), img.height(), 1, {255, 255, 255, 70});
  if (p.size() > 3) caption(img, 4, 4, p[3]);
  return img;
}

Image icon(const Params& p) {
  Rgba c = color(p[1]);
  Image img(32, 32);
  if (p[0] == "on") {
    img.fillRoundRect(1, 1, 30, 30, 6, c);
    img.textCentered(3, 3, 26, 26, p[2], kWhite, 3);
  } else if (p[0] == "half") {
    // Switched on but not in use: the colour only as a frame.
    img.fillRoundRect(1, 1, 30, 30, 6, c);
    img.fillRoundRect(4, 4, 24, 24, 4, kDark);
    img.textCentered(4, 4, 24, 24, p[2], c, 3);
  } else if (p[0] == "off") {
    img.fillRoundRect(1, 1, 30, 30, 6, kGrey);
    img.textCentered(3, 3, 26, 26, p[2], {175, 175, 175, 255}, 3);
    img.line(5, 27, 27, 5, 3, kRed);
  } else {
    throw BadParam{"icon style must be on, half or off"};
  }
  return img;
}

Image dot(const Params& p) {
  Rgba c = color(p[0]);
  Image img(12, 12);
  img.fillCircle(6, 6, 5.8, shade(c, 0.6));
  img.fillCircle(6, 6, 4.6, c);
  img.fillCircle(4.5, 4.5, 1.6, {255, 255, 255, 120});
  return img;
}

Image battery(const Params& p) {
  int pct = number(p[0], 0, 100);
  std::string mark = p.size() > 1 ? p[1] : "";
  if (!mark.empty() && mark != "charging" && mark != "alert") throw BadParam{"battery mark must be charging or alert"};
  Image img(48, 24);
  img.fillRect(2, 4, 38, 16, {30, 30, 30, 200});
  img.strokeRect(0, 2, 42, 20, 2, {220, 220, 220, 255});
  img.fillRect(42, 8, 4, 8, {220, 220, 220, 255});
  Rgba fill = pct < 15 ? kRed : pct < 45 ? kOrange : kGreen;
  img.fillRect(3, 5, (36 * pct + 50) / 100, 14, fill);
  if (mark == "charging") {
    Rgba bolt{255, 225, 0, 255};
    img.line(24, 3, 17, 12, 3, bolt);
    img.line(17, 12, 25, 12, 3, bolt);
    img.line(25, 12, 18, 21, 3, bolt);
  } else if (mark == "alert") {
    img.text(16, 5, "!", 2, kRed);
  }
  return img;
}

double level(const std::string& s, bool allowMedium) {
  if (s == "l") return 0.2;
  if (s == "m" && allowMedium) return 0.55;
  if (s == "h") return 0.95;
  throw BadParam{allowMedium ? "battery level must be l, m or h" : "memory level must be l or h"};
}

Image summary(const Params& p) {
  double b = level(p[0], true), r = level(p[1], false);
  Image img(48, 32);
  img.fillRoundRect(0, 0, 48, 32, 4, kDark);
  auto bar = [&img](int x, double share, const char* letter) {
    Rgba c = share < 0.3 ? kRed : share < 0.7 ? kOrange : kGreen;
    img.fillRect(x, 3, 14, 20, kGrey);
    int h = static_cast<int>(std::lround(20 * share));
    img.fillRect(x, 23 - h, 14, h, c);
    img.text(x + 5, 24, letter, 1, kWhite);
  };
  bar(6, b, "B");
  bar(28, r, "R");
  return img;
}

Image face(const Params& p) {
  Image img(96, 96);
  img.fillCircle(48, 48, 47, {230, 230, 230, 255});
  img.fillCircle(48, 48, 44, color(p[0]));
  for (int k = 0; k < 12; ++k) {
    double a = k * std::numbers::pi / 6;
    double inner = k % 3 == 0 ? 33 : 37;
    img.line(48 + inner * std::sin(a), 48 - inner * std::cos(a), 48 + 41 * std::sin(a),
             48 - 41 * std::cos(a), k % 3 == 0 ? 3 : 2, kWhite);
  }
  img.text(42, 14, "12", 1, kWhite);
  return img;
}

Image hand(const Params& p) {
  // Hands are as large as the face and transparent around the hand, so a home screen
  // can stack face, hour and minute hand at the same place.
  bool hour = p[0] == "hour";
  if (!hour && p[0] != "minute") throw BadParam{"hand must be hour or minute"};
  if (p.size() != (hour ? 4u : 3u)) {
    throw BadParam{hour ? "hand hour HOUR FIFTH COLOR" : "hand minute MINUTE COLOR"};
  }
  double turns = hour ? (number(p[1], 0, 12) % 12 + number(p[2], 0, 4) / 5.0) / 12.0
                      : number(p[1], 0, 59) / 60.0;
  Rgba c = color(p.back());
  double a = turns * 2 * std::numbers::pi, len = hour ? 25 : 39, tail = 6;
  Image img(96, 96);
  img.line(48 - tail * std::sin(a), 48 + tail * std::cos(a), 48 + len * std::sin(a),
           48 - len * std::cos(a), hour ? 5 : 3, c);
  img.fillCircle(48, 48, 3.5, shade(c, 0.7));
  return img;
}

Image frame(const Params& p) {
  Image img(number(p[0], 1, 512), number(p[1], 1, 512));
  int count = number(p[4], 1, 60), n = number(p[3], 1, count);
  int w = img.width(), h = img.height();
  img.fillRect(0, 0, w, h, color(p[2]));
  // A light band sweeping down the background, one step per frame.
  int band = std::max(h / count, 1);
  img.fillRect(0, (n - 1) * h / count, w, band, {255, 255, 255, 80});
  return img;
}

Image pages(const Params& p) {
  int count = number(p[1], 1, 9), n = number(p[0], 1, count);
  Image img(80, 16);
  for (int i = 1; i <= count; ++i) {
    double cx = count == 1 ? 40 : 8 + (i - 1) * 64.0 / (count - 1);
    if (i == n) {
      img.fillCircle(cx, 8, 5.5, kWhite);
    } else {
      img.fillCircle(cx, 8, 3.5, {150, 150, 150, 255});
    }
  }
  return img;
}

Image day(const Params& p) {
  int d = number(p[0], 1, 31);
  Image img(32, 32);
  img.fillRoundRect(1, 1, 30, 30, 4, kRed);
  img.fillRoundRect(1, 9, 30, 22, 3, {250, 250, 250, 255});
  img.fillCircle(10, 4, 1.6, kDark);
  img.fillCircle(22, 4, 1.6, kDark);
  std::string text = (d < 10 ? "0" : "") + std::to_string(d);
  img.textCentered(2, 10, 28, 20, text, kDark, 2);
  return img;
}

Image weather(const Params& p) {
  auto img = drawWeather(p[0], p.size() > 1 ? p[1] : "");
  if (!img) throw BadParam{"unknown weather glyph \"" + p[0] + "\""};
  return *img;
}

}  // namespace

std::optional<Image> drawEntry(const SkinEntry& entry, std::string* error) {
  struct Kind {
    size_t minParams, maxParams;
    std::function<Image(const Params&)> draw;
  };
  static const std::map<std::string, Kind> kinds = {
      {"blank", {0, 0, [](const Params&) { return Image(1, 1); }}},
      {"digit", {1, 1, digit}},
      {"label", {5, 5, label}},
      {"panel", {3, 4, panel}},
      {"icon", {3, 3, icon}},
      {"dot", {1, 1, dot}},
      {"battery", {1, 2, battery}},
      {"summary", {2, 2, summary}},
      {"face", {1, 1, face}},
      {"hand", {3, 4, hand}},
      {"frame", {5, 5, frame}},
      {"pages", {2, 2, pages}},
      {"day", {1, 1, day}},
      {"weather", {1, 2, weather}},
  };
  auto kind = kinds.find(entry.kind);
  if (kind == kinds.end()) {
    *error = "unknown kind \"" + entry.kind + "\"";
    return std::nullopt;
  }
  const Params& p = entry.params;
  if (p.size() < kind->second.minParams || p.size() > kind->second.maxParams) {
    *error = entry.kind + " takes " + std::to_string(kind->second.minParams) +
             (kind->second.maxParams != kind->second.minParams
                  ? " to " + std::to_string(kind->second.maxParams)
                  : "") +
             " parameters, not " + std::to_string(p.size());
    return std::nullopt;
  }
  try {
    return kind->second.draw(p);
  } catch (const BadParam& bad) {
    *error = bad.why;
    return std::nullopt;
  }
}

}  // namespace zelko::skins
