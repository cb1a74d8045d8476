// Drawing surface, colours and fonts of the skin images: a cairo image surface with the
// few path and text helpers every kind of image shares.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zelko::skins {

// Straight (not premultiplied) RGBA.
struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

inline constexpr Rgba kWhite{255, 255, 255, 255};
inline constexpr Rgba kBlack{0, 0, 0, 255};

// `t` of the way from `from` to `to`, alpha included.
Rgba mix(Rgba from, Rgba to, double t);
// The same colour with its alpha multiplied by `share`.
Rgba faded(Rgba c, double share);
// `share` of the way to white or to black, alpha kept.
Rgba lighter(Rgba c, double share);
Rgba darker(Rgba c, double share);

// A transparent ARGB canvas with its cairo context, anti-aliased.
class Canvas {
 public:
  // Sizes outside 1..kMaxSide are clamped into it: a canvas always has a pixel.
  static constexpr int kMaxSide = 2048;
  Canvas(int width, int height);
  ~Canvas();
  Canvas(Canvas&& other) noexcept;
  Canvas& operator=(Canvas&& other) noexcept;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  // The pixel at (x, y) with straight alpha; transparent outside the canvas.
  Rgba at(int x, int y) const;
  // The canvas as a PNG file; empty when cairo failed (out of memory).
  std::string png() const;

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

void setColor(cairo_t* cr, Rgba c);
// Sets a vertical linear gradient from `top` at y0 to `bottom` at y1 as the source.
void setVerticalGradient(cairo_t* cr, double y0, double y1, Rgba top, Rgba bottom);
// The shading of a rounded surface of colour c: `light` lighter at y0, `dark` darker at y1.
void setShade(cairo_t* cr, Rgba c, double y0, double y1, double light, double dark);
// Sets a radial gradient from `in` at the focus (fx, fy) to `out` on the circle (cx, cy, r).
void setRadialGradient(cairo_t* cr, double fx, double fy, double cx, double cy, double r, Rgba in, Rgba out);
// Strokes the current path in colour c with round caps and joins.
void strokeRound(cairo_t* cr, Rgba c, double width);
// Adds a rectangle with corners of radius r (clamped to half the shorter side).
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
void circle(cairo_t* cr, double cx, double cy, double r);

// One TrueType face, shared by reference.
class Font {
 public:
  // Loads the face from a font file; nullopt with `error` set when it cannot be read.
  static std::optional<Font> load(const std::string& file, std::string* error);
  cairo_font_face_t* face() const { return face_.get(); }
  // The family name the file declares, for example "DejaVu Sans".
  const std::string& family() const { return family_; }

 private:
  std::shared_ptr<cairo_font_face_t> face_;
  std::string family_;
};

struct Fonts {
  Font regular, bold;
};

// DejaVu Sans and DejaVu Sans Bold from the folder the build found them in, loaded on the
// first call; nullptr with `error` set when a file is missing, so that no other font can
// stand in for them unnoticed.
const Fonts* skinFonts(std::string* error);

struct Box {
  double x, y, w, h;
};

// Advance width of `text` set in `font` at `size` pixels.
double textWidth(cairo_t* cr, const Font& font, std::string_view text, double size);
// Draws `text` with its ink centred in `box`, at `size` pixels or smaller when it would
// be wider than the box.
void drawText(cairo_t* cr, const Font& font, std::string_view text, Box box, double size, Rgba c);

}  // namespace zelko::skins
