#include "device/map_image.h"

#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <tuple>
#include <vector>

#include "skins/skin_gen.h"

namespace zelko::device {
namespace {

using skins::Image;
using skins::Rgba;

constexpr Rgba kSea{70, 130, 190, 255};
constexpr Rgba kLand{120, 170, 95, 255};
constexpr Rgba kHills{150, 150, 100, 255};
constexpr Rgba kCity{220, 40, 40, 255};
constexpr Rgba kInk{255, 255, 255, 255};
constexpr int kQuality = 85;

Image drawMap(std::string_view mapName) {
  Image map(kMapWidth, kMapHeight);
  map.fillRect(0, 0, kMapWidth, kMapHeight, kSea);
  // A coast of overlapping round shapes, with hills inland.
  const double coast[][3] = {{60, 70, 55}, {120, 60, 60}, {185, 80, 50}, {150, 130, 45}, {80, 135, 40}};
  for (const auto& c : coast) map.fillCircle(c[0], c[1], c[2], kLand);
  map.fillCircle(170, 60, 20, kHills);
  map.fillCircle(140, 75, 4, kCity);
  map.text(148, 72, "LYON", 1, kInk);
  // Two places with their weather, as the forecast has it.
  for (auto [glyph, x, y, label] : {std::tuple{"partly", 40, 40, "9C"}, std::tuple{"rain", 150, 95, "11C"}}) {
    if (auto icon = skins::drawWeather(glyph, "")) {
      for (int iy = 0; iy < icon->height(); ++iy) {
        for (int ix = 0; ix < icon->width(); ++ix) map.blend(x + ix, y + iy, icon->at(ix, iy));
      }
    }
    map.text(x + 10, y + 48, label, 1, kInk);
  }
  map.text(4, kMapHeight - 10, std::string(mapName).substr(0, 30), 1, kInk);
  return map;
}

std::string encodeJpeg(const Image& image) {
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
