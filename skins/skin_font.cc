// The skin's fonts: TrueType files opened with FreeType and set with cairo, anti-aliased
// and unhinted so that a text looks the same at every size and on every machine.
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "skins/skin_canvas.h"

namespace zelko::skins {
namespace {

// One FreeType library for the process; the faces made from it outlive any one canvas.
FT_Library library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return lib;
}

void setFont(cairo_t* cr, const Font& font, double size) {
  cairo_set_font_face(cr, font.face());
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

}  // namespace

std::optional<Font> Font::load(const std::string& file, std::string* error) {
  FT_Library lib = library();
  FT_Face ftFace = nullptr;
  if (!lib || FT_New_Face(lib, file.c_str(), 0, &ftFace) != 0) {
    *error = "cannot read the font " + file;
    return std::nullopt;
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
  // cairo keeps using the FreeType face until it drops its own font face: tie the two.
  static const cairo_user_data_key_t kOwner{};
  if (cairo_font_face_set_user_data(face, &kOwner, ftFace,
                                    [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); }) !=
      CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    FT_Done_Face(ftFace);
    *error = "cannot use the font " + file;
    return std::nullopt;
  }
  Font font;
  font.family_ = ftFace->family_name ? ftFace->family_name : "";
  font.face_.reset(face, cairo_font_face_destroy);
  return font;
}

const Fonts* skinFonts(std::string* error) {
  static const std::optional<Fonts> fonts = []() -> std::optional<Fonts> {
    std::string why;
    auto regular = Font::load(ZELKO_SKIN_FONT_DIR "/DejaVuSans.ttf", &why);
    auto bold = regular ? Font::load(ZELKO_SKIN_FONT_DIR "/DejaVuSans-Bold.ttf", &why) : std::nullopt;
    if (!bold) return std::nullopt;
    return Fonts{*regular, *bold};
  }();
  if (!fonts) {
    *error = "the DejaVu Sans fonts are missing from " ZELKO_SKIN_FONT_DIR " (Debian: fonts-dejavu-core)";
    return nullptr;
  }
  return &*fonts;
}

double textWidth(cairo_t* cr, const Font& font, std::string_view text, double size) {
  cairo_save(cr);
  setFont(cr, font, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, std::string(text).c_str(), &e);
  cairo_restore(cr);
  return e.x_advance;
}

void drawText(cairo_t* cr, const Font& font, std::string_view text, Box box, double size, Rgba c) {
  const std::string s(text);
  cairo_save(cr);
  setFont(cr, font, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, s.c_str(), &e);
  if (e.width > box.w && e.width > 0) {
    setFont(cr, font, size * box.w / e.width);
    cairo_text_extents(cr, s.c_str(), &e);
  }
  cairo_move_to(cr, box.x + (box.w - e.width) / 2 - e.x_bearing, box.y + (box.h - e.height) / 2 - e.y_bearing);
  setColor(cr, c);
  cairo_show_text(cr, s.c_str());
  cairo_restore(cr);
}

}  // namespace zelko::skins
