// The default skin is drawn at build time from a short text description, one image a
// line, so the images stay reviewable as text and no binary is kept in the tree.
//
// A description has three kinds of line (blank lines and "#" comments aside):
//   color NAME RRGGBB[AA]          a palette entry, usable wherever a colour is asked for
//   size NAME WIDTH HEIGHT         a named image size
//   FOLDER FILE SIZE KIND PARAM... one image: FOLDER/FILE of size SIZE, drawn by KIND
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skins/skin_canvas.h"

namespace zelko::skins {

struct SkinEntry {
  std::string folder;
  std::string file;
  std::string size;
  std::string kind;
  std::vector<std::string> params;
  int line = 0;
};

struct Size {
  int width = 0, height = 0;
};

struct Description {
  std::map<std::string, Rgba> palette;
  std::map<std::string, Size> sizes;
  std::vector<SkinEntry> entries;
  std::string error;  // empty when the whole text was understood
};

// A line is refused (and the error names it) when a field is missing, a name could leave
// its folder, a file repeats within a folder (the phone matches names without regard to
// case, so two names differing only in case would overwrite each other on the device), a
// size is unknown or out of 1..Canvas::kMaxSide, or a colour is malformed.
Description parseDescription(std::string_view text);

// Draws one entry of `skin`; nullopt with `error` set when the kind is unknown, its
// parameters are wrong or the fonts are missing.
std::optional<Canvas> drawEntry(const Description& skin, const SkinEntry& entry, std::string* error);

// Draws every entry into outDir/FOLDER/FILE. Returns the number of files written, or -1
// with `error` set at the first failure.
int generateSkin(const Description& skin, const std::string& outDir, std::string* error);

// A contact sheet of the entries whose folder or size is named in `only` (every entry when
// it is empty): each image `zoom` times enlarged on a checkered ground with its name,
// grouped by folder.
std::optional<Canvas> contactSheet(const Description& skin, const std::vector<std::string>& only, int zoom,
                                   std::string* error);

}  // namespace zelko::skins
