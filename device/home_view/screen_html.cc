#include "device/home_view/screen_html.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"

namespace zelko::device::home {
namespace {

// The length of the UTF-8 character at `at`, or 0 when the bytes there are not one.
size_t characterLength(std::string_view text, size_t at) {
  unsigned char c = static_cast<unsigned char>(text[at]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || at + n > text.size()) return 0;
  return platform::isValidUtf8(text.substr(at, n)) ? n : 0;
}

std::string px(int value) { return std::to_string(value) + "px"; }

std::string boxStyle(int x, int y, int width, int height) {
  return "left:" + px(x) + ";top:" + px(y) + ";width:" + px(std::max(width, 0)) +
         ";height:" + px(std::max(height, 0));
}

// Text with its line feeds as line breaks.
std::string textHtml(std::string_view text) {
  std::string out;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    out += htmlEscape(text.substr(start, end - start));
    if (end == std::string_view::npos) return out;
    out += "<br>";
    start = end + 1;
  }
}

std::string textStyle(const DrawnElement& d) {
  const Element& e = *d.element;
  int size = e.size > 0 ? e.size : std::clamp(d.height * 9 / 20, 12, 28);
  std::string style = ";font-size:" + px(size);
  if (!e.color.empty()) style += ";color:" + e.color;
  if (e.align == Align::kCenter) style += ";text-align:center";
  if (e.align == Align::kRight) style += ";text-align:right";
  if (e.valign == VAlign::kTop) style += ";align-items:flex-start";
  if (e.valign == VAlign::kBottom) style += ";align-items:flex-end";
  if (e.bold) style += ";font-weight:bold";
  if (e.lines > 0) style += ";--lines:" + std::to_string(e.lines);
  return style;
}

void renderElement(const DrawnElement& d, std::string& out) {
  const Element& e = *d.element;
  std::string head = " data-el=\"" + std::to_string(d.number) + "\" style=\"" +
                     boxStyle(d.x, d.y, d.width, d.height);
  switch (e.kind) {
    case ElementKind::kText:
      if (d.text.empty()) return;
      out += "<div class=\"el t\"" + head + textStyle(d) + "\"><span>" + textHtml(d.text) + "</span></div>";
      return;
    case ElementKind::kImage:
      if (d.imagePath.empty()) return;
      out += "<img class=\"el\" alt=\"\" draggable=\"false\"" + head + "\" src=\"" +
             htmlEscape(imageUrl(d.imagePath, d.imageVersion)) + "\">";
      return;
    case ElementKind::kFill:
      out += "<div class=\"el f\"" + head;
      if (!e.color.empty()) out += ";background:" + e.color;
      if (e.radius > 0) out += ";border-radius:" + px(e.radius);
      out += "\"></div>";
      return;
  }
}

void renderPlugin(const DrawnPlugin& p, std::string& out) {
  out += "<div class=\"plugin";
  if (p.focused) out += " focused";
  if (!p.hasLayers) out += " bare";
  out += "\" data-plugin=\"" + htmlEscape(p.name) + "\" data-position=\"" + std::to_string(p.position) +
         "\" data-page=\"" + htmlEscape(p.page) + "\" style=\"top:" + px(p.top) + ";height:" + px(p.height);
  if (!p.background.empty()) out += ";background:" + p.background;
  out += "\">";
  if (!p.hasLayers) out += "<div class=\"name\">" + htmlEscape(p.name) + "</div>";
  for (const DrawnElement& d : p.elements) renderElement(d, out);
  out += "</div>";
}

}  // namespace

std::string htmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    switch (c) {
      case '&': out += "&amp;"; ++i; continue;
      case '<': out += "&lt;"; ++i; continue;
      case '>': out += "&gt;"; ++i; continue;
      case '"': out += "&quot;"; ++i; continue;
      case '\'': out += "&#39;"; ++i; continue;
      default: break;
    }
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      out += c == '\n' ? '\n' : ' ';
      ++i;
      continue;
    }
    size_t n = characterLength(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

std::string urlEncode(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string imageUrl(std::string_view devicePath, int64_t version) {
  return "/image?path=" + urlEncode(devicePath) + "&v=" + std::to_string(version);
}

std::string renderScreen(const Screen& s) {
  std::string out = "<div class=\"screen\" style=\"width:" + px(s.width) + ";height:" + px(s.height) +
                    ";--sel:" + s.selectionColor + "\">";
  out += "<div class=\"list\" style=\"" + boxStyle(s.listX, s.listY, s.listWidth, s.listHeight) +
         "\"><div class=\"rows\" style=\"transform:translateY(" + px(-s.scroll) + ")\">";
  for (const DrawnPlugin& p : s.plugins) renderPlugin(p, out);
  out += "</div></div>";
  out += "<div class=\"softkeys\" style=\"" +
         boxStyle(0, s.height - s.softKeyHeight, s.width, s.softKeyHeight) + "\">";
  out += "<div class=\"sk sk1\"></div><div class=\"sk sk2\" data-softkey=\"2\">" + htmlEscape(s.softKey2) + "</div>";
  out += "</div>";
  if (!s.problem.empty()) out += "<div class=\"problem\">" + textHtml(s.problem) + "</div>";
  return out + "</div>";
}

}  // namespace zelko::device::home
