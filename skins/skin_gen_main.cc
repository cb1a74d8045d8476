// zelko-skin-gen DESCRIPTION OUTDIR: draws the images of a skin description as PNG files
// into OUTDIR/FOLDER/FILE. Run by the build; exits non-zero on the first problem so a
// broken description stops the build instead of shipping a skin with holes.
// zelko-skin-gen --sheet SHEET.png[:ZOOM] DESCRIPTION [FOLDER|SIZE...]: writes a contact
// sheet of the images (of the folders or sizes named, ZOOM times enlarged) instead, to look
// at the skin.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "skins/skin_gen.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: zelko-skin-gen DESCRIPTION OUTDIR\n"
               "       zelko-skin-gen --sheet SHEET.png[:ZOOM] DESCRIPTION [FOLDER|SIZE...]\n");
  return 2;
}

int fail(const std::string& what) {
  std::fprintf(stderr, "zelko-skin-gen: %s\n", what.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const bool sheet = !args.empty() && args[0] == "--sheet";
  if (sheet ? args.size() < 3 : args.size() != 2) return usage();
  const std::string& file = args[sheet ? 2 : 0];
  std::ifstream in(file, std::ios::binary);
  if (!in) return fail("cannot read " + file);
  std::stringstream text;
  text << in.rdbuf();
  auto skin = zelko::skins::parseDescription(text.str());
  if (!skin.error.empty()) return fail(file + ": " + skin.error);
  std::string error;
  if (sheet) {
    std::string target = args[1];
    int zoom = 1;
    if (size_t colon = target.rfind(':'); colon != std::string::npos) {
      zoom = std::atoi(target.c_str() + colon + 1);
      target.resize(colon);
      if (zoom < 1 || zoom > 8) return usage();
    }
    auto page = zelko::skins::contactSheet(skin, {args.begin() + 3, args.end()}, zoom, &error);
    std::string png = page ? page->png() : "";
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << png;
    out.close();
    if (png.empty() || !out) return fail(error.empty() ? "cannot write " + target : error);
    return 0;
  }
  int written = zelko::skins::generateSkin(skin, args[1], &error);
  if (written < 0) return fail(file + ": " + error);
  std::printf("zelko-skin-gen: %d images in %s\n", written, args[1].c_str());
  return 0;
}
