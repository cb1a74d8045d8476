// The canvas, colours and paths of the skin images.
#include "skins/skin_canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace zelko::skins {

Rgba mix(Rgba from, Rgba to, double t) {
  auto m = [t](uint8_t a, uint8_t b) { return static_cast<uint8_t>(std::lround(a + (b - a) * t)); };
  return {m(from.r, to.r), m(from.g, to.g), m(from.b, to.b), m(from.a, to.a)};
}

Rgba faded(Rgba c, double share) {
  c.a = static_cast<uint8_t>(std::lround(std::clamp(c.a * share, 0.0, 255.0)));
  return c;
}

Rgba lighter(Rgba c, double share) { return mix(c, {255, 255, 255, c.a}, share); }

Rgba darker(Rgba c, double share) { return mix(c, {0, 0, 0, c.a}, share); }

Canvas::Canvas(int width, int height)
    : width_(std::clamp(width, 1, kMaxSide)),
      height_(std::clamp(height, 1, kMaxSide)),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_)),
      cr_(cairo_create(surface_)) {
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

Canvas::~Canvas() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

Canvas::Canvas(Canvas&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      surface_(std::exchange(other.surface_, nullptr)),
      cr_(std::exchange(other.cr_, nullptr)) {}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(surface_, other.surface_);
  std::swap(cr_, other.cr_);
  return *this;
}

Rgba Canvas::at(int x, int y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  cairo_surface_flush(surface_);
  const unsigned char* row = cairo_image_surface_get_data(surface_) +
                             static_cast<size_t>(y) * cairo_image_surface_get_stride(surface_);
  uint32_t p;
  std::copy_n(row + static_cast<size_t>(x) * 4, 4, reinterpret_cast<unsigned char*>(&p));
  // ARGB32 is premultiplied, one native-endian word a pixel.
  uint8_t a = p >> 24;
  if (a == 0) return {};
  auto un = [a](uint32_t v) { return static_cast<uint8_t>(std::min<uint32_t>(255, (v * 255 + a / 2) / a)); };
  return {un(p >> 16 & 0xff), un(p >> 8 & 0xff), un(p & 0xff), a};
}

std::string Canvas::png() const {
  std::string out;
  if (!surface_) return out;
  auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  };
  if (cairo_surface_write_to_png_stream(surface_, append, &out) != CAIRO_STATUS_SUCCESS) out.clear();
  return out;
}

void setColor(cairo_t* cr, Rgba c) {
  cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
}

void setVerticalGradient(cairo_t* cr, double y0, double y1, Rgba top, Rgba bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r / 255.0, top.g / 255.0, top.b / 255.0, top.a / 255.0);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r / 255.0, bottom.g / 255.0, bottom.b / 255.0,
                                    bottom.a / 255.0);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

void setShade(cairo_t* cr, Rgba c, double y0, double y1, double light, double dark) {
  setVerticalGradient(cr, y0, y1, lighter(c, light), darker(c, dark));
}

void setRadialGradient(cairo_t* cr, double fx, double fy, double cx, double cy, double r, Rgba in, Rgba out) {
  cairo_pattern_t* p = cairo_pattern_create_radial(fx, fy, 0, cx, cy, r);
  cairo_pattern_add_color_stop_rgba(p, 0, in.r / 255.0, in.g / 255.0, in.b / 255.0, in.a / 255.0);
  cairo_pattern_add_color_stop_rgba(p, 1, out.r / 255.0, out.g / 255.0, out.b / 255.0, out.a / 255.0);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

void strokeRound(cairo_t* cr, Rgba c, double width) {
  setColor(cr, c);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::clamp(r, 0.0, std::min(w, h) / 2);
  constexpr double kQuarter = std::numbers::pi / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kQuarter, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kQuarter);
  cairo_arc(cr, x + r, y + h - r, r, kQuarter, 2 * kQuarter);
  cairo_arc(cr, x + r, y + r, r, 2 * kQuarter, 3 * kQuarter);
  cairo_close_path(cr);
}

void circle(cairo_t* cr, double cx, double cy, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * std::numbers::pi);
  cairo_close_path(cr);
}

}  // namespace zelko::skins
