// Inside the skin generator: what a kind of image is handed to draw with, and the kinds.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skins/skin_canvas.h"

namespace zelko::skins {

// Thrown by the parameter readers to leave a kind at its first bad parameter; drawEntry
// turns it into an error text.
struct BadParam {
  std::string why;
};

// RRGGBB or RRGGBBAA.
std::optional<Rgba> hexColor(std::string_view s);

class Params {
 public:
  Params(const std::vector<std::string>& values, const std::map<std::string, Rgba>& palette)
      : values_(values), palette_(palette) {}
  size_t size() const { return values_.size(); }
  const std::string& text(size_t i) const;
  int number(size_t i, int lo, int hi) const;
  // A palette name or a hexadecimal colour.
  Rgba color(size_t i) const;
  // The index in `words` of parameter i, which must be one of them.
  int choice(size_t i, std::initializer_list<std::string_view> words) const;

 private:
  const std::vector<std::string>& values_;
  const std::map<std::string, Rgba>& palette_;
};

// A kind draws on `cr`, whose canvas is w by h pixels.
struct Paint {
  cairo_t* cr;
  double w, h;
  const Params& p;
  const Fonts& fonts;
};

// Shared look: the light ink of texts and symbols and the grey of things switched off.
inline constexpr Rgba kInk{244, 247, 251, 255};
inline constexpr Rgba kOffGrey{112, 122, 136, 255};
inline constexpr Rgba kShadow{0, 0, 0, 90};

// Clock (skin_clock.cc).
void drawDigit(const Paint& p);
void drawAmPm(const Paint& p);
void drawClockTray(const Paint& p);
void drawDial(const Paint& p);
// Pages and panels (skin_panels.cc).
void drawPage(const Paint& p);
void drawPageDots(const Paint& p);
void drawInfoPanel(const Paint& p);
void drawBattery(const Paint& p);
void drawDot(const Paint& p);
void drawSummary(const Paint& p);
void drawSlot(const Paint& p);
// Status and counter symbols (skin_icons.cc).
void drawIcon(const Paint& p);
// Weather (skin_weather.cc).
void drawWeather(const Paint& p);

}  // namespace zelko::skins
