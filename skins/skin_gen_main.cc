// zelko-skin-gen DESCRIPTION OUTDIR: draws the images of a skin description as PNG files
// into OUTDIR/FOLDER/FILE. Run by the build; exits non-zero on the first problem so a
// broken description stops the build instead of shipping a skin with holes.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "skins/skin_gen.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zelko-skin-gen DESCRIPTION OUTDIR\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "zelko-skin-gen: cannot read %s\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  auto description = zelko::skins::parseDescription(text.str());
  if (!description.error.empty()) {
    std::fprintf(stderr, "zelko-skin-gen: %s: %s\n", argv[1], description.error.c_str());
    return 1;
  }
  std::string error;
  int written = zelko::skins::generateSkin(description, argv[2], &error);
  if (written < 0) {
    std::fprintf(stderr, "zelko-skin-gen: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::printf("zelko-skin-gen: %d images in %s\n", written, argv[2]);
  return 0;
}
