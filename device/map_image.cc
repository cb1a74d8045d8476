#include "device/map_image.h"

#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <vector>

#include "skins/skin_gen.h"

namespace zelko::device {
namespace {

using skins::Canvas;
using skins::Rgba;

constexpr Rgba kSea{70, 130, 190, 255};
constexpr Rgba kLand{120, 170, 95, 255};
constexpr Rgba kHills{150, 150, 100, 255};
constexpr Rgba kCity{220, 40, 40, 255};
constexpr Rgba kInk{255, 255, 255, 255};
constexpr int kQuality = 85;

// The two weather icons of the map, drawn as the skin draws its own.
constexpr std::string_view kIcons =
    "size icon 48 48\n"
    "map partly.png icon weather sun cloud\n"
    "map rain.png icon weather cloud rain\n";

// Text with its left edge at x and its middle at y; nothing when the fonts are missing.
void label(cairo_t* cr, std::string_view text, double x, double y, double size) {
  std::string error;
  if (const skins::Fonts* fonts = skins::skinFonts(&error)) {
    const double w = skins::textWidth(cr, fonts->bold, text, size);
    skins::drawText(cr, fonts->bold, text, {x, y - size / 2, w, size}, size, kInk);
  }
}

Canvas drawMap(std::string_view mapName) {
  Canvas map(kMapWidth, kMapHeight);
  cairo_t* cr = map.cr();
  skins::setColor(cr, kSea);
  cairo_paint(cr);
  // A coast of overlapping round shapes, with hills inland.
  const double coast[][3] = {{60, 70, 55}, {120, 60, 60}, {185, 80, 50}, {150, 130, 45}, {80, 135, 40}};
  for (const auto& c : coast) skins::circle(cr, c[0], c[1], c[2]);
  skins::setColor(cr, kLand);
  cairo_fill(cr);
  skins::circle(cr, 170, 60, 20);
  skins::setColor(cr, kHills);
  cairo_fill(cr);
  skins::circle(cr, 140, 75, 4);
  skins::setColor(cr, kCity);
  cairo_fill(cr);
  label(cr, "LYON", 148, 75, 9);
  // Two places with their weather, as the forecast has it.
  const auto icons = skins::parseDescription(kIcons);
  const double at[][2] = {{40, 40}, {150, 95}};
  const char* temperatures[] = {"9\u00b0C", "11\u00b0C"};
  for (size_t i = 0; i < icons.entries.size() && i < 2; ++i) {
    std::string error;
    if (auto icon = skins::drawEntry(icons, icons.entries[i], &error)) {
      cairo_set_source_surface(cr, icon->surface(), at[i][0], at[i][1]);
      cairo_paint(cr);
    }
    label(cr, temperatures[i], at[i][0] + 10, at[i][1] + 54, 10);
  }
  label(cr, std::string(mapName).substr(0, 30), 4, kMapHeight - 8, 9);
  return map;
}

std::string encodeJpeg(const Canvas& image) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width());
  cinfo.image_height = static_cast<JDIMENSION>(image.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, kQuality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(image.width()) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < image.width(); ++x) {
      Rgba c = image.at(x, y);
      row[x * 3] = c.r, row[x * 3 + 1] = c.g, row[x * 3 + 2] = c.b;
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

}  // namespace

std::string mapImage(std::string_view mapName) { return encodeJpeg(drawMap(mapName)); }

}  // namespace zelko::device
