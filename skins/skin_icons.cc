// Status and counter symbols, drawn in a 40-unit square. A symbol is drawn in one colour
// that tells its state: the full colour when in use, a muted one when switched on but idle,
// grey and struck through when off.
#include <cmath>
#include <functional>
#include <numbers>

#include "skins/skin_kinds.h"

namespace zelko::skins {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr Rgba kAlertRed{235, 64, 70, 255};

enum class State { kOn, kIdle, kOff };

struct Symbol {
  cairo_t* cr;
  const Fonts& fonts;
  Rgba c;       // the colour of this state
  State state;
  std::string extra;  // the optional fourth parameter
};

double deg(double d) { return d * kPi / 180; }

void fillShaded(cairo_t* cr, Rgba c, double top, double bottom) {
  setShade(cr, c, top, bottom, 0.22, 0.12);
  cairo_fill(cr);
}

void wifi(const Symbol& s) {
  for (double r : {9.0, 16.0, 23.0}) {
    cairo_arc(s.cr, 20, 33, r, deg(-135), deg(-45));
    strokeRound(s.cr, s.c, 4);
  }
  circle(s.cr, 20, 33, 3.2);
  setColor(s.cr, s.c);
  cairo_fill(s.cr);
}

void bluetooth(const Symbol& s) {
  roundedRect(s.cr, 9, 3, 22, 34, 11);
  fillShaded(s.cr, s.c, 3, 37);
  cairo_move_to(s.cr, 14, 14);
  cairo_line_to(s.cr, 26, 25);
  cairo_line_to(s.cr, 20, 31);
  cairo_line_to(s.cr, 20, 9);
  cairo_line_to(s.cr, 26, 15);
  cairo_line_to(s.cr, 14, 26);
  strokeRound(s.cr, s.state == State::kOff ? Rgba{200, 205, 212, 255} : kWhite, 2.4);
}

void arrow(cairo_t* cr, double x, double from, double to, Rgba c) {
  const double dir = to < from ? -1 : 1;
  cairo_move_to(cr, x, from);
  cairo_line_to(cr, x, to - dir * 6);
  strokeRound(cr, c, 4);
  cairo_move_to(cr, x - 6.5, to - dir * 7);
  cairo_line_to(cr, x, to);
  cairo_line_to(cr, x + 6.5, to - dir * 7);
  cairo_close_path(cr);
  setColor(cr, c);
  cairo_fill(cr);
}

void data(const Symbol& s) {
  arrow(s.cr, 13, 34, 6, s.c);
  arrow(s.cr, 27, 6, 34, s.state == State::kOn ? lighter(s.c, 0.35) : s.c);
}

void sync(const Symbol& s) {
  for (int half = 0; half < 2; ++half) {
    cairo_save(s.cr);
    cairo_translate(s.cr, 20, 20);
    cairo_rotate(s.cr, half * kPi);
    cairo_arc(s.cr, 0, 0, 12, deg(200), deg(340));
    strokeRound(s.cr, s.c, 4);
    // The arrow head at the end of the arc, pointing along it.
    const double a = deg(340), x = 12 * std::cos(a), y = 12 * std::sin(a);
    cairo_move_to(s.cr, x + 6, y - 1);
    cairo_line_to(s.cr, x + 1, y + 7);
    cairo_line_to(s.cr, x - 5, y - 2);
    cairo_close_path(s.cr);
    setColor(s.cr, s.c);
    cairo_fill(s.cr);
    cairo_restore(s.cr);
  }
}

void tech(const Symbol& s) {
  roundedRect(s.cr, 2, 9, 36, 22, 5);
  if (s.state == State::kOn) {
    fillShaded(s.cr, s.c, 9, 31);
  } else {
    strokeRound(s.cr, s.c, 2.2);
  }
  drawText(s.cr, s.fonts.bold, s.extra, {5, 9, 30, 22}, 15, s.state == State::kOn ? kWhite : s.c);
}

void signal(const Symbol& s) {
  for (int i = 0; i < 4; ++i) {
    const double height = 8 + i * 7;
    roundedRect(s.cr, 15 + i * 6.5, 36 - height, 4.5, height, 1.2);
  }
  setColor(s.cr, s.c);
  cairo_fill(s.cr);
  if (!s.extra.empty()) drawText(s.cr, s.fonts.bold, s.extra, {1, 2, 18, 13}, 12, s.c);
  if (s.state == State::kOff) {
    circle(s.cr, 9, 29, 7);
    setColor(s.cr, kAlertRed);
    cairo_fill(s.cr);
    cairo_move_to(s.cr, 6, 26);
    cairo_line_to(s.cr, 12, 32);
    cairo_move_to(s.cr, 12, 26);
    cairo_line_to(s.cr, 6, 32);
    strokeRound(s.cr, kWhite, 2);
  }
}

void bubble(const Symbol& s) {
  roundedRect(s.cr, 4, 6, 32, 23, 8);
  cairo_move_to(s.cr, 10, 27);
  cairo_line_to(s.cr, 8, 35);
  cairo_line_to(s.cr, 18, 28);
  cairo_close_path(s.cr);
  fillShaded(s.cr, s.c, 6, 35);
  for (double x : {13.0, 20.0, 27.0}) circle(s.cr, x, 17.5, 2.3);
  setColor(s.cr, s.state == State::kOff ? Rgba{200, 205, 212, 255} : kWhite);
  cairo_fill(s.cr);
}

void handset(const Symbol& s) {
  // Earpiece and mouthpiece joined by a curved grip, lying on its back.
  cairo_save(s.cr);
  cairo_translate(s.cr, 20, 24);
  cairo_arc(s.cr, 0, 6, 15, deg(205), deg(335));
  strokeRound(s.cr, s.c, 6);
  for (double side : {-1.0, 1.0}) {
    cairo_save(s.cr);
    cairo_translate(s.cr, side * 13, 1);
    cairo_rotate(s.cr, side * deg(25));
    roundedRect(s.cr, -5.5, -2, 11, 9, 3);
    cairo_restore(s.cr);
  }
  setColor(s.cr, s.c);
  cairo_fill(s.cr);
  cairo_restore(s.cr);
}

void envelope(const Symbol& s) {
  roundedRect(s.cr, 4, 9, 32, 22, 3);
  fillShaded(s.cr, s.c, 9, 31);
  cairo_move_to(s.cr, 6, 11);
  cairo_line_to(s.cr, 20, 22);
  cairo_line_to(s.cr, 34, 11);
  strokeRound(s.cr, s.state == State::kOff ? Rgba{200, 205, 212, 255} : kWhite, 2.2);
}

void tape(const Symbol& s) {
  for (double x : {11.0, 29.0}) circle(s.cr, x, 20, 6.5);
  cairo_move_to(s.cr, 11, 26.5);
  cairo_line_to(s.cr, 29, 26.5);
  strokeRound(s.cr, s.c, 3.8);
}

void bell(const Symbol& s) {
  cairo_move_to(s.cr, 8, 29);
  cairo_curve_to(s.cr, 11, 26, 11, 22, 11, 17);
  cairo_curve_to(s.cr, 11, 10, 15, 6, 20, 6);
  cairo_curve_to(s.cr, 25, 6, 29, 10, 29, 17);
  cairo_curve_to(s.cr, 29, 22, 29, 26, 32, 29);
  cairo_close_path(s.cr);
  fillShaded(s.cr, s.c, 6, 29);
  circle(s.cr, 20, 32, 3.5);
  setColor(s.cr, s.c);
  cairo_fill(s.cr);
}

void alarm(const Symbol& s) {
  for (double side : {-1.0, 1.0}) {
    // A bell on each shoulder: a half disc tilted outwards.
    cairo_save(s.cr);
    cairo_translate(s.cr, 20 + side * 11, 10);
    cairo_rotate(s.cr, side * deg(40));
    cairo_arc(s.cr, 0, 0, 6.5, kPi, 2 * kPi);
    cairo_close_path(s.cr);
    setColor(s.cr, s.c);
    cairo_fill(s.cr);
    cairo_restore(s.cr);
    cairo_move_to(s.cr, 20 + side * 8, 31);
    cairo_line_to(s.cr, 20 + side * 11, 36);
  }
  strokeRound(s.cr, s.c, 3);
  circle(s.cr, 20, 22, 12);
  setColor(s.cr, {16, 20, 26, 140});
  cairo_fill_preserve(s.cr);
  strokeRound(s.cr, s.c, 3.5);
  cairo_move_to(s.cr, 20, 15);
  cairo_line_to(s.cr, 20, 22);
  cairo_line_to(s.cr, 25.5, 25);
  strokeRound(s.cr, kInk, 2.6);
}

void gear(const Symbol& s) {
  cairo_save(s.cr);
  cairo_translate(s.cr, 20, 20);
  for (int k = 0; k < 8; ++k) {
    cairo_save(s.cr);
    cairo_rotate(s.cr, k * kPi / 4);
    roundedRect(s.cr, -3.5, -17, 7, 8, 1.5);
    cairo_restore(s.cr);
  }
  circle(s.cr, 0, 0, 12);
  setColor(s.cr, s.c);
  cairo_fill(s.cr);
  circle(s.cr, 0, 0, 5);
  cairo_set_operator(s.cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(s.cr);
  cairo_restore(s.cr);
}

void card(const Symbol& s) {
  cairo_move_to(s.cr, 16, 4);
  cairo_line_to(s.cr, 32, 4);
  cairo_line_to(s.cr, 32, 36);
  cairo_line_to(s.cr, 8, 36);
  cairo_line_to(s.cr, 8, 12);
  cairo_close_path(s.cr);
  fillShaded(s.cr, s.c, 4, 36);
  for (int i = 0; i < 4; ++i) roundedRect(s.cr, 14 + i * 4.5, 7, 2.5, 7, 0.8);
  setColor(s.cr, faded(kWhite, 0.75));
  cairo_fill(s.cr);
}

void chip(const Symbol& s) {
  for (int i = 0; i < 4; ++i) {
    const double at = 11 + i * 6;
    cairo_move_to(s.cr, at, 4);
    cairo_line_to(s.cr, at, 36);
    cairo_move_to(s.cr, 4, at);
    cairo_line_to(s.cr, 36, at);
  }
  strokeRound(s.cr, s.c, 2.2);
  roundedRect(s.cr, 8, 8, 24, 24, 3);
  fillShaded(s.cr, s.c, 8, 32);
  roundedRect(s.cr, 14, 14, 12, 12, 2);
  setColor(s.cr, faded(kWhite, 0.35));
  cairo_fill(s.cr);
}

void hourglass(const Symbol& s) {
  cairo_move_to(s.cr, 10, 5);
  cairo_line_to(s.cr, 30, 5);
  cairo_curve_to(s.cr, 30, 14, 22, 17, 22, 20);
  cairo_curve_to(s.cr, 22, 23, 30, 26, 30, 35);
  cairo_line_to(s.cr, 10, 35);
  cairo_curve_to(s.cr, 10, 26, 18, 23, 18, 20);
  cairo_curve_to(s.cr, 18, 17, 10, 14, 10, 5);
  cairo_close_path(s.cr);
  strokeRound(s.cr, s.c, 2.6);
  cairo_move_to(s.cr, 14, 11);
  cairo_line_to(s.cr, 26, 11);
  cairo_line_to(s.cr, 20, 18);
  cairo_close_path(s.cr);
  cairo_move_to(s.cr, 20, 26);
  cairo_line_to(s.cr, 28, 34);
  cairo_line_to(s.cr, 12, 34);
  cairo_close_path(s.cr);
  setColor(s.cr, s.c);
  cairo_fill(s.cr);
}

using Draw = std::function<void(const Symbol&)>;

const std::map<std::string, Draw, std::less<>>& symbols() {
  static const std::map<std::string, Draw, std::less<>> all = {
      {"wifi", wifi},     {"bluetooth", bluetooth}, {"data", data},   {"sync", sync},
      {"tech", tech},     {"signal", signal},       {"sms", bubble},  {"tel", handset},
      {"email", envelope}, {"voicemail", tape},     {"total", bell},  {"alarm", alarm},
      {"gear", gear},     {"storage", card},        {"memory", chip}, {"hourglass", hourglass},
  };
  return all;
}

// Cuts a gap along the slash and draws it, so the struck symbol stays legible.
void strike(cairo_t* cr) {
  cairo_move_to(cr, 6, 6);
  cairo_line_to(cr, 34, 34);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_set_line_width(cr, 7);
  cairo_stroke(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_move_to(cr, 6, 6);
  cairo_line_to(cr, 34, 34);
  strokeRound(cr, {186, 192, 201, 255}, 3);
}

// A small disc in the lower right corner with a kind's symbol, for the totals.
void badge(cairo_t* cr, const Fonts& fonts, const Draw& kind, Rgba c) {
  circle(cr, 30, 30, 9.5);
  setColor(cr, {16, 20, 26, 255});
  cairo_fill(cr);
  circle(cr, 30, 30, 8);
  setColor(cr, c);
  cairo_fill(cr);
  cairo_save(cr);
  cairo_translate(cr, 30 - 20 * 0.32, 30 - 20 * 0.32);
  cairo_scale(cr, 0.32, 0.32);
  kind({cr, fonts, kWhite, State::kOn, ""});
  cairo_restore(cr);
}

}  // namespace

// icon SYMBOL on|idle|off COLOR [EXTRA]: EXTRA is the text of a tech or signal symbol, or
// the kind whose badge a total carries.
void drawIcon(const Paint& p) {
  auto symbol = symbols().find(p.p.text(0));
  if (symbol == symbols().end()) throw BadParam{"unknown symbol \"" + p.p.text(0) + "\""};
  const State state = static_cast<State>(p.p.choice(1, {"on", "idle", "off"}));
  const Rgba c = p.p.color(2);
  const Rgba shown = state == State::kOn ? c : state == State::kIdle ? mix(c, kOffGrey, 0.6) : kOffGrey;
  const std::string extra = p.p.size() > 3 ? p.p.text(3) : "";
  const Draw* kind = nullptr;
  if (symbol->first == "total" && !extra.empty()) {
    auto k = symbols().find(extra);
    if (k == symbols().end() || k->first == "total") throw BadParam{"a total's badge names a symbol"};
    kind = &k->second;
  }
  cairo_scale(p.cr, p.w / 40, p.h / 40);
  symbol->second({p.cr, p.fonts, shown, state, kind ? "" : extra});
  if (kind) badge(p.cr, p.fonts, *kind, darker(c, 0.15));
  if (state == State::kOff && symbol->first != "signal") strike(p.cr);
}

}  // namespace zelko::skins
