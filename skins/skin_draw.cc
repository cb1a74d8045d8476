// Canvas primitives and the 5x7 font the skin images are drawn with.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "skins/skin_gen.h"

namespace zelko::skins {
namespace {

struct Glyph {
  char c;
  const char* rows[7];
};

// Our own 5x7 font: enough for digits, captions, am/pm and weather codes.
constexpr Glyph kFont[] = {
    {'0', {"01110", "10001", "10011", "10101", "11001", "10001", "01110"}},
    {'1', {"00100", "01100", "00100", "00100", "00100", "00100", "01110"}},
    {'2', {"01110", "10001", "00001", "00010", "00100", "01000", "11111"}},
    {'3', {"11111", "00010", "00100", "00010", "00001", "10001", "01110"}},
    {'4', {"00010", "00110", "01010", "10010", "11111", "00010", "00010"}},
    {'5', {"11111", "10000", "11110", "00001", "00001", "10001", "01110"}},
    {'6', {"00110", "01000", "10000", "11110", "10001", "10001", "01110"}},
    {'7', {"11111", "00001", "00010", "00100", "01000", "01000", "01000"}},
    {'8', {"01110", "10001", "10001", "01110", "10001", "10001", "01110"}},
    {'9', {"01110", "10001", "10001", "01111", "00001", "00010", "01100"}},
    {'A', {"01110", "10001", "10001", "11111", "10001", "10001", "10001"}},
    {'B', {"11110", "10001", "10001", "11110", "10001", "10001", "11110"}},
    {'C', {"01110", "10001", "10000", "10000", "10000", "10001", "01110"}},
    {'D', {"11100", "10010", "10001", "10001", "10001", "10010", "11100"}},
    {'E', {"11111", "10000", "10000", "11110", "10000", "10000", "11111"}},
    {'F', {"11111", "10000", "10000", "11110", "10000", "10000", "10000"}},
    {'G', {"01110", "10001", "10000", "10111", "10001", "10001", "01111"}},
    {'H', {"10001", "10001", "10001", "11111", "10001", "10001", "10001"}},
    {'I', {"01110", "00100", "00100", "00100", "00100", "00100", "01110"}},
    {'J', {"00111", "00010", "00010", "00010", "00010", "10010", "01100"}},
    {'K', {"10001", "10010", "10100", "11000", "10100", "10010", "10001"}},
    {'L', {"10000", "10000", "10000", "10000", "10000", "10000", "11111"}},
    {'M', {"10001", "11011", "10101", "10101", "10001", "10001", "10001"}},
    {'N', {"10001", "10001", "11001", "10101", "10011", "10001", "10001"}},
    {'O', {"01110", "10001", "10001", "10001", "10001", "10001", "01110"}},
    {'P', {"11110", "10001", "10001", "11110", "10000", "10000", "10000"}},
    {'Q', {"01110", "10001", "10001", "10001", "10101", "10010", "01101"}},
    {'R', {"11110", "10001", "10001", "11110", "10100", "10010", "10001"}},
    {'S', {"01111", "10000", "10000", "01110", "00001", "00001", "11110"}},
    {'T', {"11111", "00100", "00100", "00100", "00100", "00100", "00100"}},
    {'U', {"10001", "10001", "10001", "10001", "10001", "10001", "01110"}},
    {'V', {"10001", "10001", "10001", "10001", "10001", "01010", "00100"}},
    {'W', {"10001", "10001", "10001", "10101", "10101", "10101", "01010"}},
    {'X', {"10001", "10001", "01010", "00100", "01010", "10001", "10001"}},
    {'Y', {"10001", "10001", "10001", "01010", "00100", "00100", "00100"}},
    {'Z', {"11111", "00001", "00010", "00100", "01000", "10000", "11111"}},
    {'!', {"00100", "00100", "00100", "00100", "00100", "00000", "00100"}},
    {'%', {"11000", "11001", "00010", "00100", "01000", "10011", "00011"}},
    {'/', {"00000", "00001", "00010", "00100", "01000", "10000", "00000"}},
    {'.', {"00000", "00000", "00000", "00000", "00000", "01100", "01100"}},
    {'-', {"00000", "00000", "00000", "11111", "00000", "00000", "00000"}},
    {'+', {"00000", "00100", "00100", "11111", "00100", "00100", "00000"}},
    {':', {"00000", "01100", "01100", "00000", "01100", "01100", "00000"}},
    {'*', {"00000", "00100", "10101", "01110", "10101", "00100", "00000"}},
    {'?', {"01110", "10001", "00001", "00010", "00100", "00000", "00100"}},
    {' ', {"00000", "00000", "00000", "00000", "00000", "00000", "00000"}},
};

const Glyph& glyphFor(char c) {
  // Descriptions write blanks as "_" because fields are separated by blanks.
  if (c == '_') c = ' ';
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Glyph& g : kFont) {
    if (g.c == c) return g;
  }
  for (const Glyph& g : kFont) {
    if (g.c == '?') return g;
  }
  return kFont[0];
}

uint8_t mix(uint8_t under, uint8_t over, double share) {
  return static_cast<uint8_t>(std::lround(under + (over - under) * share));
}

}  // namespace

Image::Image(int width, int height)
    : width_(std::clamp(width, 1, kMaxSide)),
      height_(std::clamp(height, 1, kMaxSide)),
      rgba_(static_cast<size_t>(width_) * height_ * 4, 0) {}

Rgba Image::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const uint8_t* p = &rgba_[(static_cast<size_t>(y) * width_ + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

void Image::set(int x, int y, Rgba c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* p = &rgba_[(static_cast<size_t>(y) * width_ + x) * 4];
  p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
}

void Image::blend(int x, int y, Rgba c) {
  if (c.a == 255) return set(x, y, c);
  if (c.a == 0) return;
  Rgba under = at(x, y);
  double a = c.a / 255.0;
  double outA = a + under.a / 255.0 * (1 - a);
  if (outA <= 0) return;
  // Over a transparent pixel the colour is the new one; over an opaque one it mixes.
  double share = a / outA;
  set(x, y, {mix(under.r, c.r, share), mix(under.g, c.g, share), mix(under.b, c.b, share),
             static_cast<uint8_t>(std::lround(outA * 255))});
}

void Image::fillRect(int x, int y, int w, int h, Rgba c) {
  for (int j = std::max(y, 0); j < std::min(y + h, height_); ++j) {
    for (int i = std::max(x, 0); i < std::min(x + w, width_); ++i) blend(i, j, c);
  }
}

void Image::fillRoundRect(int x, int y, int w, int h, int radius, Rgba c) {
  radius = std::clamp(radius, 0, std::min(w, h) / 2);
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      // Distance into the nearest corner square decides whether a corner pixel is out.
      int dx = i < radius ? radius - i : (i >= w - radius ? i - (w - radius - 1) : 0);
      int dy = j < radius ? radius - j : (j >= h - radius ? j - (h - radius - 1) : 0);
      if (dx > 0 && dy > 0 && (dx - 0.5) * (dx - 0.5) + (dy - 0.5) * (dy - 0.5) > radius * radius) {
        continue;
      }
      blend(x + i, y + j, c);
    }
  }
}

void Image::strokeRect(int x, int y, int w, int h, int t, Rgba c) {
  fillRect(x, y, w, t, c);
  fillRect(x, y + h - t, w, t, c);
  fillRect(x, y + t, t, h - 2 * t, c);
  fillRect(x + w - t, y + t, t, h - 2 * t, c);
}

void Image::fillCircle(double cx, double cy, double radius, Rgba c) {
  int x0 = static_cast<int>(std::floor(cx - radius)), x1 = static_cast<int>(std::ceil(cx + radius));
  int y0 = static_cast<int>(std::floor(cy - radius)), y1 = static_cast<int>(std::ceil(cy + radius));
  for (int j = y0; j <= y1; ++j) {
    for (int i = x0; i <= x1; ++i) {
      double dx = i + 0.5 - cx, dy = j + 0.5 - cy;
      if (dx * dx + dy * dy <= radius * radius) blend(i, j, c);
    }
  }
}

void Image::line(double x0, double y0, double x1, double y1, double thickness, Rgba c) {
  // Pixels whose centre lies within half the thickness of the segment: no overdraw, so
  // translucent lines keep an even tone.
  double half = thickness / 2;
  int minX = static_cast<int>(std::floor(std::min(x0, x1) - half));
  int maxX = static_cast<int>(std::ceil(std::max(x0, x1) + half));
  int minY = static_cast<int>(std::floor(std::min(y0, y1) - half));
  int maxY = static_cast<int>(std::ceil(std::max(y0, y1) + half));
  double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  for (int j = minY; j <= maxY; ++j) {
    for (int i = minX; i <= maxX; ++i) {
      double px = i + 0.5, py = j + 0.5;
      double t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0;
      double ex = x0 + t * dx - px, ey = y0 + t * dy - py;
      if (ex * ex + ey * ey <= half * half) blend(i, j, c);
    }
  }
}

int textWidth(std::string_view s, int scale) {
  if (s.empty()) return 0;
  return static_cast<int>(s.size()) * 6 * scale - scale;
}

void Image::text(int x, int y, std::string_view s, int scale, Rgba c) {
  for (char ch : s) {
    const Glyph& g = glyphFor(ch);
    for (int row = 0; row < 7; ++row) {
      for (int col = 0; col < 5; ++col) {
        if (g.rows[row][col] == '1') fillRect(x + col * scale, y + row * scale, scale, scale, c);
      }
    }
    x += 6 * scale;
  }
}

void Image::textCentered(int x, int y, int w, int h, std::string_view s, Rgba c, int maxScale) {
  int scale = std::max(maxScale, 1);
  while (scale > 1 && (textWidth(s, scale) > w || 7 * scale > h)) --scale;
  text(x + (w - textWidth(s, scale)) / 2, y + (h - 7 * scale) / 2, s, scale, c);
}

}  // namespace zelko::skins
