// The default skin is drawn at build time from a short text description, one image a
// line, so the images stay reviewable as text and no binary is hand-copied into the tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::skins {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

// Straight (not premultiplied) RGBA, rows top to bottom.
class Image {
 public:
  // Sizes outside 1..kMaxSide are clamped into it: a canvas always has a pixel.
  static constexpr int kMaxSide = 2048;
  Image(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<uint8_t>& pixels() const { return rgba_; }
  Rgba at(int x, int y) const;
  // Points outside the canvas are ignored, so shapes may be drawn across the edges.
  void set(int x, int y, Rgba c);
  // Source-over blending, for shapes drawn on top of one another.
  void blend(int x, int y, Rgba c);

  // Drawing helpers shared by the image kinds (skin_draw.cc).
  void fillRect(int x, int y, int w, int h, Rgba c);
  void fillRoundRect(int x, int y, int w, int h, int radius, Rgba c);
  void strokeRect(int x, int y, int w, int h, int thickness, Rgba c);
  void fillCircle(double cx, double cy, double radius, Rgba c);
  void line(double x0, double y0, double x1, double y1, double thickness, Rgba c);
  // Text in the built-in 5x7 font; letters are shown in capitals and characters the
  // font lacks as "?". `scale` is the size of one font dot in pixels.
  void text(int x, int y, std::string_view s, int scale, Rgba c);
  // Centred at the largest scale that fits inside the box, at least 1.
  void textCentered(int x, int y, int w, int h, std::string_view s, Rgba c, int maxScale = 8);

 private:
  int width_, height_;
  std::vector<uint8_t> rgba_;
};

// Width in pixels of `s` drawn at `scale`.
int textWidth(std::string_view s, int scale);

// A 48x48 weather icon: `glyph` names the condition (sun, moon, partly, partlynight,
// cloud, rain, snow, sleet, storm, fog, dust, wind, hot, cold, na) and `label`, when not
// empty, is written small in the lower right corner. nullopt for an unknown glyph.
std::optional<Image> drawWeather(std::string_view glyph, std::string_view label);

// A complete PNG file: 8-bit RGBA, no interlace, every row with filter 0.
std::string encodePng(const Image& image);

// One line of the description: FOLDER FILE KIND PARAM...
struct SkinEntry {
  std::string folder;
  std::string file;
  std::string kind;
  std::vector<std::string> params;
  int line = 0;
};

struct Description {
  std::vector<SkinEntry> entries;
  std::string error;  // empty when the whole text was understood
};

// Blank lines and lines starting with "#" are skipped. A line is refused (and the
// error names it) when a field is missing, a name could leave its folder, or a file
// repeats within a folder: the phone matches names without regard to case, so two
// names differing only in case would overwrite each other on the device.
Description parseDescription(std::string_view text);

// Draws one entry; nullopt with `error` set when the kind is unknown or its
// parameters are wrong.
std::optional<Image> drawEntry(const SkinEntry& entry, std::string* error);

// Draws every entry into outDir/FOLDER/FILE. Returns the number of files written, or -1
// with `error` set at the first failure.
int generateSkin(const Description& description, const std::string& outDir, std::string* error);

}  // namespace zelko::skins
