// The contact sheet: every image of a description on one page, to look at the skin whole.
#include <algorithm>

#include "skins/skin_gen.h"

namespace zelko::skins {
namespace {

constexpr int kSheetWidth = 1280;
constexpr int kPad = 10;
constexpr int kNameHeight = 16;
constexpr int kHeaderHeight = 28;

struct Placed {
  const SkinEntry* entry;
  Canvas image;
  int w = 0, h = 0;  // on the sheet
  int x = 0, y = 0;
};

void checker(cairo_t* cr, int x, int y, int w, int h) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  for (int j = 0; j * 8 < h; ++j) {
    for (int i = 0; i * 8 < w; ++i) {
      setColor(cr, (i + j) % 2 ? Rgba{74, 78, 86, 255} : Rgba{96, 100, 108, 255});
      cairo_rectangle(cr, x + i * 8, y + j * 8, 8, 8);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

// Positions every image in rows, a new row for each folder; returns the sheet's height.
int layOut(std::vector<Placed>& placed, std::vector<std::pair<std::string, int>>& headers) {
  int x = kPad, y = 0, rowHeight = 0;
  std::string folder;
  for (Placed& p : placed) {
    const int w = std::max(p.w, 56), h = p.h + kNameHeight;
    if (p.entry->folder != folder || x + w > kSheetWidth - kPad) {
      y += rowHeight + kPad;
      x = kPad;
      rowHeight = 0;
      if (p.entry->folder != folder) {
        folder = p.entry->folder;
        headers.emplace_back(folder, y);
        y += kHeaderHeight;
      }
    }
    p.x = x, p.y = y;
    x += w + kPad;
    rowHeight = std::max(rowHeight, h);
  }
  return y + rowHeight + kPad;
}

}  // namespace

std::optional<Canvas> contactSheet(const Description& skin, const std::vector<std::string>& only, int zoom,
                                   std::string* error) {
  const Fonts* fonts = skinFonts(error);
  if (!fonts) return std::nullopt;
  std::vector<Placed> placed;
  for (const SkinEntry& e : skin.entries) {
    auto named = [&only](const std::string& name) { return std::find(only.begin(), only.end(), name) != only.end(); };
    if (!only.empty() && !named(e.folder) && !named(e.size)) continue;
    auto image = drawEntry(skin, e, error);
    if (!image) return std::nullopt;
    const int w = image->width() * zoom, h = image->height() * zoom;
    placed.push_back({&e, std::move(*image), w, h});
  }
  std::vector<std::pair<std::string, int>> headers;
  const int height = layOut(placed, headers);
  if (height > Canvas::kMaxSide) {
    *error = "the images do not fit on one sheet: name fewer folders";
    return std::nullopt;
  }
  Canvas sheet(kSheetWidth, height);
  cairo_t* cr = sheet.cr();
  setColor(cr, {40, 44, 52, 255});
  cairo_paint(cr);
  for (const auto& [folder, y] : headers) {
    drawText(cr, fonts->bold, folder, {kPad, double(y), 200, kHeaderHeight - 8.0}, 18, {255, 255, 255, 255});
  }
  for (const Placed& p : placed) {
    checker(cr, p.x, p.y, p.w, p.h);
    cairo_save(cr);
    cairo_translate(cr, p.x, p.y);
    cairo_scale(cr, zoom, zoom);
    cairo_set_source_surface(cr, p.image.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    const std::string& name = p.entry->file;
    drawText(cr, fonts->regular, name.substr(0, name.size() - 4),
             {double(p.x), double(p.y + p.h + 2), double(std::max(p.w, 56)), 11}, 11, {210, 215, 222, 255});
  }
  return sheet;
}

}  // namespace zelko::skins
