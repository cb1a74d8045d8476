// The clocks: flip-card digits, am/pm, the tray behind the digits and its animation
// frames, the condensed strip, and the analog dial with its hands.
#include <cmath>
#include <numbers>

#include "skins/skin_kinds.h"

namespace zelko::skins {
namespace {

constexpr Rgba kCardTop{62, 73, 89, 255};
constexpr Rgba kCardMiddle{38, 46, 58, 255};
constexpr Rgba kCardLow{30, 37, 47, 255};
constexpr Rgba kCardBottom{18, 23, 30, 255};

// The dark line across a flip card where its two halves meet.
void hinge(cairo_t* cr, double w, double y) {
  setColor(cr, {0, 0, 0, 160});
  cairo_rectangle(cr, 0, y - 1, w, 2);
  cairo_fill(cr);
  setColor(cr, {255, 255, 255, 22});
  cairo_rectangle(cr, 0, y + 1, w, 1);
  cairo_fill(cr);
}

// A rounded glass panel of colour `c`, lighter at the top, with a thin light rim.
void glassPanel(cairo_t* cr, double w, double h, double radius, Rgba c) {
  roundedRect(cr, 0.5, 0.5, w - 1, h - 1, radius);
  setShade(cr, c, 0, h, 0.10, 0.25);
  cairo_fill_preserve(cr);
  setColor(cr, {255, 255, 255, 34});
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void handShape(cairo_t* cr, double tail, double length, double base, double tip) {
  cairo_move_to(cr, -base / 2, tail);
  cairo_line_to(cr, -tip / 2, -length);
  cairo_arc(cr, 0, -length, tip / 2, std::numbers::pi, 0);
  cairo_line_to(cr, base / 2, tail);
  cairo_arc(cr, 0, tail, base / 2, 0, std::numbers::pi);
  cairo_close_path(cr);
}

// One hand, pointing `turns` of a full circle from twelve o'clock.
void hand(const Paint& p, double turns, bool hour, Rgba c) {
  const double r = p.w / 2 - 1;
  const double length = r * (hour ? 0.55 : 0.80), tail = r * (hour ? 0.14 : 0.18);
  const double base = r * (hour ? 0.13 : 0.085), tip = r * (hour ? 0.06 : 0.035);
  cairo_t* cr = p.cr;
  cairo_translate(cr, p.w / 2, p.h / 2);
  cairo_save(cr);
  cairo_translate(cr, 1.2, 1.8);
  cairo_rotate(cr, turns * 2 * std::numbers::pi);
  handShape(cr, tail, length, base, tip);
  setColor(cr, kShadow);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_rotate(cr, turns * 2 * std::numbers::pi);
  handShape(cr, tail, length, base, tip);
  setColor(cr, c);
  cairo_fill_preserve(cr);
  setColor(cr, faded(kBlack, 0.35));
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  circle(cr, 0, 0, r * (hour ? 0.085 : 0.06));
  setColor(cr, c);
  cairo_fill(cr);
  if (!hour) {
    circle(cr, 0, 0, r * 0.025);
    setColor(cr, {20, 24, 30, 255});
    cairo_fill(cr);
  }
}

void face(const Paint& p, Rgba c, Rgba accent) {
  cairo_t* cr = p.cr;
  const double cx = p.w / 2, cy = p.h / 2, r = p.w / 2 - 1;
  circle(cr, cx, cy, r);
  setVerticalGradient(cr, cy - r, cy + r, {214, 221, 229, 255}, {84, 95, 108, 255});
  cairo_fill(cr);
  circle(cr, cx, cy, r * 0.93);
  setRadialGradient(cr, cx, cy - r * 0.3, cx, cy, r, lighter(c, 0.16), darker(c, 0.38));
  cairo_fill(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int k = 0; k < 60; ++k) {
    if (k % 15 == 0) continue;  // numerals stand there
    const double a = k * std::numbers::pi / 30, hourTick = k % 5 == 0;
    const double inner = r * (hourTick ? 0.74 : 0.82);
    cairo_move_to(cr, cx + inner * std::sin(a), cy - inner * std::cos(a));
    cairo_line_to(cr, cx + r * 0.86 * std::sin(a), cy - r * 0.86 * std::cos(a));
    setColor(cr, hourTick ? kInk : faded(kInk, 0.45));
    cairo_set_line_width(cr, hourTick ? r * 0.04 : r * 0.015);
    cairo_stroke(cr);
  }
  const char* numerals[] = {"12", "3", "6", "9"};
  for (int q = 0; q < 4; ++q) {
    const double a = q * std::numbers::pi / 2, at = r * 0.70;
    const double size = r * 0.25;
    drawText(cr, p.fonts.bold, numerals[q],
             {cx + at * std::sin(a) - size, cy - at * std::cos(a) - size / 2, 2 * size, size}, size,
             q == 0 ? accent : kInk);
  }
}

}  // namespace

void drawDigit(const Paint& p) {
  cairo_t* cr = p.cr;
  const double w = p.w, h = p.h, half = h / 2;
  roundedRect(cr, 0, 0, w, h, w * 0.12);
  cairo_clip(cr);
  setVerticalGradient(cr, 0, half, kCardTop, kCardMiddle);
  cairo_rectangle(cr, 0, 0, w, half);
  cairo_fill(cr);
  setVerticalGradient(cr, half, h, kCardLow, kCardBottom);
  cairo_rectangle(cr, 0, half, w, h - half);
  cairo_fill(cr);
  roundedRect(cr, 0.5, 0.5, w - 1, h - 1, w * 0.12);
  setColor(cr, {255, 255, 255, 30});
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  const std::string& c = p.p.text(0);
  if (c.size() != 1) throw BadParam{"a digit image shows one character"};
  const Box box{0, 0, w, h};
  drawText(cr, p.fonts.bold, c, {box.x, box.y + 1.5, box.w, box.h}, h * 0.76, faded(kBlack, 0.5));
  drawText(cr, p.fonts.bold, c, box, h * 0.76, kInk);
  hinge(cr, w, half);
  // The pins of the hinge at both edges.
  for (double x : {0.0, w}) {
    circle(cr, x, half, w * 0.05);
    setColor(cr, {10, 12, 16, 255});
    cairo_fill(cr);
  }
}

void drawAmPm(const Paint& p) {
  Rgba c = p.p.color(1);
  roundedRect(p.cr, 0.5, 0.5, p.w - 1, p.h - 1, p.h / 2);
  setShade(p.cr, c, 0, p.h, 0.2, 0.15);
  cairo_fill(p.cr);
  drawText(p.cr, p.fonts.bold, p.p.text(0), {p.w * 0.18, 0, p.w * 0.64, p.h}, p.h * 0.58, kInk);
}

// tray COLOR ACCENT [FRAME COUNT]: the panel behind the four clock digits, with the colon;
// frame N of COUNT of the minute animation has a sheen N/COUNT of the way down.
// tray COLOR plain: the same panel without colon, behind a time written as text.
void drawClockTray(const Paint& p) {
  cairo_t* cr = p.cr;
  glassPanel(cr, p.w, p.h, std::min(p.w, p.h) * 0.16, p.p.color(0));
  if (p.p.text(1) == "plain") {
    if (p.p.size() > 2) throw BadParam{"a plain tray has no frames"};
    return;
  }
  Rgba accent = p.p.color(1);
  if (p.p.size() == 3) throw BadParam{"a frame needs its number and the count"};
  if (p.p.size() == 4) {
    int count = p.p.number(3, 1, 60), n = p.p.number(2, 1, count);
    double y = p.h * (n - 0.5) / count, band = p.h * 0.35;
    roundedRect(cr, 0.5, 0.5, p.w - 1, p.h - 1, std::min(p.w, p.h) * 0.16);
    cairo_clip(cr);
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, y - band, 0, y + band);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0);
    cairo_pattern_add_color_stop_rgba(sheen, 0.5, 1, 1, 1, 0.20);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
    cairo_set_source(cr, sheen);
    cairo_paint(cr);
    cairo_pattern_destroy(sheen);
    cairo_reset_clip(cr);
  }
  for (double dy : {-0.14, 0.14}) {
    circle(cr, p.w / 2, p.h * (0.5 + dy), p.h * 0.05);
    setColor(cr, accent);
    cairo_fill(cr);
  }
}

// dial face COLOR ACCENT | dial hour H FIFTH COLOR | dial minute M COLOR. Hands are as large
// as the face and transparent around the hand, so the three images stack at one place.
void drawDial(const Paint& p) {
  switch (p.p.choice(0, {"face", "hour", "minute"})) {
    case 0:
      if (p.p.size() != 3) throw BadParam{"dial face COLOR ACCENT"};
      return face(p, p.p.color(1), p.p.color(2));
    case 1:
      if (p.p.size() != 4) throw BadParam{"dial hour HOUR FIFTH COLOR"};
      return hand(p, (p.p.number(1, 0, 12) % 12 + p.p.number(2, 0, 4) / 5.0) / 12.0, true, p.p.color(3));
    default:
      if (p.p.size() != 3) throw BadParam{"dial minute MINUTE COLOR"};
      return hand(p, p.p.number(1, 0, 59) / 60.0, false, p.p.color(2));
  }
}

}  // namespace zelko::skins
