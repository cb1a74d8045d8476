// Page backgrounds and decorations, the battery, counter dots, the battery-and-memory
// summary and the images of list slots.
#include <cmath>
#include <numbers>

#include "skins/skin_kinds.h"

namespace zelko::skins {
namespace {

constexpr Rgba kRed{229, 72, 77, 255};
constexpr Rgba kAmber{242, 169, 59, 255};
constexpr Rgba kGreen{69, 196, 107, 255};
constexpr Rgba kPaper{251, 252, 253, 255};
constexpr Rgba kPaperShade{218, 223, 230, 255};
constexpr Rgba kInkDark{39, 48, 59, 255};

Rgba levelColor(double share) { return share < 0.15 ? kRed : share < 0.45 ? kAmber : kGreen; }

// A leaf of a tear-off calendar in a 48-unit square: paper, a red band with two rings.
void calendarLeaf(cairo_t* cr) {
  roundedRect(cr, 4, 6, 40, 39, 6);
  setColor(cr, faded(kBlack, 0.3));
  cairo_fill(cr);
  roundedRect(cr, 4, 4, 40, 40, 6);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  setVerticalGradient(cr, 4, 44, kPaper, kPaperShade);
  cairo_fill(cr);
  cairo_rectangle(cr, 4, 4, 40, 12);
  setVerticalGradient(cr, 4, 16, {240, 90, 94, 255}, {200, 52, 58, 255});
  cairo_fill(cr);
  cairo_restore(cr);
  for (double x : {15.0, 33.0}) {
    roundedRect(cr, x - 2, 1.5, 4, 7, 2);
    setColor(cr, {70, 78, 90, 255});
    cairo_fill(cr);
  }
}

void person(cairo_t* cr, Rgba c) {
  circle(cr, 24, 24, 22);
  setShade(cr, c, 2, 46, 0.25, 0.2);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  setColor(cr, faded(kWhite, 0.88));
  circle(cr, 24, 19, 8.5);
  cairo_fill(cr);
  cairo_save(cr);
  cairo_translate(cr, 24, 45);
  cairo_scale(cr, 1, 0.8);
  circle(cr, 0, 0, 16);
  cairo_restore(cr);
  cairo_fill(cr);
  cairo_restore(cr);
}

void note(cairo_t* cr, Rgba c) {
  cairo_move_to(cr, 7, 5);
  cairo_line_to(cr, 41, 5);
  cairo_line_to(cr, 41, 33);
  cairo_line_to(cr, 31, 43);
  cairo_line_to(cr, 7, 43);
  cairo_close_path(cr);
  setShade(cr, c, 5, 43, 0.35, 0);
  cairo_fill(cr);
  cairo_move_to(cr, 41, 33);
  cairo_line_to(cr, 31, 33);
  cairo_line_to(cr, 31, 43);
  cairo_close_path(cr);
  setColor(cr, darker(c, 0.25));
  cairo_fill(cr);
  setColor(cr, faded(darker(c, 0.6), 0.55));
  cairo_set_line_width(cr, 2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (double y : {15.0, 22.0, 29.0}) {
    cairo_move_to(cr, 12, y);
    cairo_line_to(cr, y < 29 ? 36 : 26, y);
  }
  cairo_stroke(cr);
}

}  // namespace

// page TOP BOTTOM: a background gradient, soft enough to be stretched to any page.
void drawPage(const Paint& p) {
  cairo_t* cr = p.cr;
  setVerticalGradient(cr, 0, p.h, p.p.color(0), p.p.color(1));
  cairo_paint(cr);
  cairo_save(cr);
  cairo_scale(cr, p.w, p.h);
  setRadialGradient(cr, 0.15, 0.0, 0.15, 0.0, 0.9, faded(kWhite, 0.10), faded(kWhite, 0));
  cairo_paint(cr);
  setRadialGradient(cr, 0.5, 1.3, 0.5, 1.3, 0.8, faded(kBlack, 0.25), faded(kBlack, 0));
  cairo_paint(cr);
  cairo_restore(cr);
  setColor(cr, faded(kWhite, 0.12));
  cairo_rectangle(cr, 0, 0, p.w, 1);
  cairo_fill(cr);
}

// pagedots N COUNT: COUNT dots in a row, dot N lit.
void drawPageDots(const Paint& p) {
  int count = p.p.number(1, 1, 9), n = p.p.number(0, 1, count);
  for (int i = 1; i <= count; ++i) {
    double cx = p.w * (i - 0.5) / count, cy = p.h / 2;
    circle(p.cr, cx, cy, p.h * (i == n ? 0.30 : 0.18));
    setColor(p.cr, i == n ? kInk : faded(kInk, 0.35));
    cairo_fill(p.cr);
  }
}

// info COLOR: a panel for text laid over a page.
void drawInfoPanel(const Paint& p) {
  cairo_t* cr = p.cr;
  Rgba c = p.p.color(0);
  roundedRect(cr, 0.5, 0.5, p.w - 1, p.h - 1, 16);
  setShade(cr, c, 0, p.h, 0.12, 0);
  cairo_fill_preserve(cr);
  setColor(cr, faded(kWhite, 0.16));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  roundedRect(cr, 16, 0.5, p.w * 0.25, 3, 1.5);
  setColor(cr, {61, 157, 243, 255});
  cairo_fill(cr);
}

// battery PCT [charging|alert]
void drawBattery(const Paint& p) {
  cairo_t* cr = p.cr;
  const int pct = p.p.number(0, 0, 100);
  const int mark = p.p.size() > 1 ? p.p.choice(1, {"charging", "alert"}) : -1;
  const double bw = p.w - 8, bh = p.h - 6, x = 1.5, y = 3;
  roundedRect(cr, x, y, bw, bh, bh * 0.22);
  setColor(cr, faded(kBlack, 0.35));
  cairo_fill_preserve(cr);
  setColor(cr, {223, 230, 238, 255});
  cairo_set_line_width(cr, 2.2);
  cairo_stroke(cr);
  roundedRect(cr, x + bw + 1.5, p.h / 2 - bh * 0.2, 3.5, bh * 0.4, 1.5);
  cairo_fill(cr);
  const double inset = 3.5, fullW = bw - 2 * inset;
  if (pct > 0) {
    Rgba c = mark == 0 ? kGreen : levelColor(pct / 100.0);
    roundedRect(cr, x + inset, y + inset, std::max(fullW * pct / 100.0, 3.0), bh - 2 * inset, 2.5);
    setShade(cr, c, y, y + bh, 0.3, 0.1);
    cairo_fill(cr);
  }
  const Box body{x, y, bw, bh};
  if (mark == 0) {
    const double cx = x + bw / 2, cy = p.h / 2, s = bh / 20;
    cairo_move_to(cr, cx + 2 * s, cy - 9 * s);
    cairo_line_to(cr, cx - 6 * s, cy + 1.5 * s);
    cairo_line_to(cr, cx - 0.5 * s, cy + 1.5 * s);
    cairo_line_to(cr, cx - 2 * s, cy + 9 * s);
    cairo_line_to(cr, cx + 6 * s, cy - 1.5 * s);
    cairo_line_to(cr, cx + 0.5 * s, cy - 1.5 * s);
    cairo_close_path(cr);
    setColor(cr, {255, 236, 120, 255});
    cairo_fill_preserve(cr);
    setColor(cr, faded(kBlack, 0.6));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  } else if (mark == 1) {
    drawText(cr, p.fonts.bold, "!", body, bh * 0.8, {255, 92, 97, 255});
  }
}

// dot COLOR: a glossy counter dot.
void drawDot(const Paint& p) {
  Rgba c = p.p.color(0);
  const double r = std::min(p.w, p.h) / 2;
  circle(p.cr, p.w / 2, p.h / 2, r - 0.5);
  setColor(p.cr, darker(c, 0.35));
  cairo_fill(p.cr);
  circle(p.cr, p.w / 2, p.h / 2, r - 1.5);
  setRadialGradient(p.cr, p.w * 0.4, p.h * 0.35, p.w * 0.4, p.h * 0.35, r * 1.2, lighter(c, 0.45), c);
  cairo_fill(p.cr);
}

// summary BATTERY MEMORY: two gauges, the battery level l, m or h and the free memory l or h.
void drawSummary(const Paint& p) {
  const double battery[] = {0.12, 0.5, 0.95}, memory[] = {0.12, 0.95};
  const double levels[] = {battery[p.p.choice(0, {"l", "m", "h"})], memory[p.p.choice(1, {"l", "h"})]};
  cairo_t* cr = p.cr;
  cairo_scale(cr, p.w / 40, p.h / 40);
  const char* letters[] = {"B", "R"};
  for (int i = 0; i < 2; ++i) {
    const double x = 7 + i * 15, top = 3, height = 26;
    roundedRect(cr, x, top, 11, height, 3);
    setColor(cr, faded(kBlack, 0.35));
    cairo_fill_preserve(cr);
    setColor(cr, faded(kInk, 0.7));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    const double fill = (height - 4) * levels[i];
    Rgba c = levelColor(levels[i]);
    roundedRect(cr, x + 2, top + height - 2 - fill, 7, fill, 1.5);
    setShade(cr, c, top, top + height, 0.3, 0);
    cairo_fill(cr);
    drawText(cr, p.fonts.bold, letters[i], {x, 31, 11, 8}, 9, kInk);
  }
}

// slot day N | slot calendar | slot person COLOR | slot note COLOR: images of list slots.
void drawSlot(const Paint& p) {
  cairo_t* cr = p.cr;
  const int what = p.p.choice(0, {"day", "calendar", "person", "note"});
  if (p.p.size() != (what == 1 ? 1u : 2u)) throw BadParam{"slot day N, slot calendar, slot person|note COLOR"};
  cairo_scale(cr, p.w / 48, p.h / 48);
  if (what == 2) return person(cr, p.p.color(1));
  if (what == 3) return note(cr, p.p.color(1));
  calendarLeaf(cr);
  if (what == 0) {
    int d = p.p.number(1, 1, 31);
    drawText(cr, p.fonts.bold, std::to_string(d), {6, 18, 36, 24}, 22, kInkDark);
    return;
  }
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      roundedRect(cr, 9 + col * 8, 20 + row * 7.5, 6, 5, 1);
      setColor(cr, row == 1 && col == 2 ? kRed : Rgba{150, 160, 172, 255});
      cairo_fill(cr);
    }
  }
}

}  // namespace zelko::skins
