// Drawing the entries of a description and writing them out.
#include "skins/skin_gen.h"

#include <filesystem>
#include <fstream>

#include "skins/skin_kinds.h"

namespace zelko::skins {
namespace {

struct Kind {
  size_t minParams, maxParams;
  void (*draw)(const Paint&);
};

const std::map<std::string, Kind, std::less<>>& kinds() {
  static const std::map<std::string, Kind, std::less<>> all = {
      {"blank", {0, 0, [](const Paint&) {}}},
      {"digit", {1, 1, drawDigit}},
      {"ampm", {2, 2, drawAmPm}},
      {"tray", {2, 4, drawClockTray}},
      {"dial", {2, 4, drawDial}},
      {"page", {2, 2, drawPage}},
      {"pagedots", {2, 2, drawPageDots}},
      {"info", {1, 1, drawInfoPanel}},
      {"battery", {1, 2, drawBattery}},
      {"dot", {1, 1, drawDot}},
      {"summary", {2, 2, drawSummary}},
      {"slot", {1, 2, drawSlot}},
      {"icon", {3, 4, drawIcon}},
      {"weather", {1, 6, drawWeather}},
  };
  return all;
}

std::string countText(const Kind& k) {
  std::string n = std::to_string(k.minParams);
  return k.maxParams == k.minParams ? n : n + " to " + std::to_string(k.maxParams);
}

}  // namespace

std::optional<Canvas> drawEntry(const Description& skin, const SkinEntry& entry, std::string* error) {
  auto kind = kinds().find(entry.kind);
  if (kind == kinds().end()) {
    *error = "unknown kind \"" + entry.kind + "\"";
    return std::nullopt;
  }
  auto size = skin.sizes.find(entry.size);
  if (size == skin.sizes.end()) {
    *error = "unknown size \"" + entry.size + "\"";
    return std::nullopt;
  }
  const Kind& k = kind->second;
  if (entry.params.size() < k.minParams || entry.params.size() > k.maxParams) {
    *error = entry.kind + " takes " + countText(k) + " parameters, not " + std::to_string(entry.params.size());
    return std::nullopt;
  }
  const Fonts* fonts = skinFonts(error);
  if (!fonts) return std::nullopt;
  Canvas canvas(size->second.width, size->second.height);
  Params params(entry.params, skin.palette);
  try {
    k.draw({canvas.cr(), double(canvas.width()), double(canvas.height()), params, *fonts});
  } catch (const BadParam& bad) {
    *error = bad.why;
    return std::nullopt;
  }
  if (cairo_status(canvas.cr()) != CAIRO_STATUS_SUCCESS) {
    *error = std::string("cairo: ") + cairo_status_to_string(cairo_status(canvas.cr()));
    return std::nullopt;
  }
  return canvas;
}

int generateSkin(const Description& skin, const std::string& outDir, std::string* error) {
  namespace fs = std::filesystem;
  int written = 0;
  for (const SkinEntry& e : skin.entries) {
    std::string why;
    auto image = drawEntry(skin, e, &why);
    std::string bytes = image ? image->png() : "";
    if (bytes.empty()) {
      *error = "line " + std::to_string(e.line) + " (" + e.file + "): " + (why.empty() ? "cannot encode" : why);
      return -1;
    }
    fs::path folder = fs::path(outDir) / e.folder;
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::ofstream out(folder / e.file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      *error = "cannot write " + (folder / e.file).string();
      return -1;
    }
    ++written;
  }
  return written;
}

}  // namespace zelko::skins
