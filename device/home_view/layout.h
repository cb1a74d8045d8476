// The home screen's layout file (\Windows\<CPRFile>_<W>x<H>.cpr) as the browser view draws
// it: the form, the list view, and each plugin's block of layers with the texts, images
// and fills placed in them. docs/layout.md describes the language; VARN_installer only
// moves whole blocks and never reads further than their marker lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelko::device::home {

// The largest layout file the view reads; a larger one is refused unread.
inline constexpr size_t kMaxLayoutBytes = size_t{1} << 20;
// Coordinates and sizes are pixels from 0 to this.
inline constexpr int kMaxPixels = 10000;

// A place inside a layer; a missing figure takes the layer's own (0, 0, its size).
struct Box {
  std::optional<int> x, y, width, height;
};

enum class ElementKind { kText, kImage, kFill };
enum class Align { kLeft, kCenter, kRight };
enum class VAlign { kTop, kMiddle, kBottom };
// What a tap on an element runs when it has no action of its own: the page's panel action
// (ACTIONURLPNX) or its page action (ACTIONURL).
enum class TapTarget { kPanel, kPage };

struct Element {
  ElementKind kind = ElementKind::kText;
  Box box;
  std::string literal;  // Text Value / Image Source: shown as it stands
  std::string bind;     // Bind: the name of a value of the page
  std::string page;     // Page: the page the value is read from; empty for the layer's own
  // Style. A colour is "#" and 3, 6 or 8 hex digits as written; anything else is dropped.
  int size = 0;  // text size in pixels; 0 for the view's default
  std::string color;
  Align align = Align::kLeft;
  VAlign valign = VAlign::kMiddle;
  bool bold = false;
  int lines = 0;   // at most this many lines of text; 0 for as many as fit
  int radius = 0;  // rounded corners of a fill
  std::string action;  // Action: an action string run by a tap on it
  TapTarget tap = TapTarget::kPanel;
};

// Elements drawn only while one page of the plugin has the focus.
struct PageElements {
  std::string name;
  std::vector<Element> elements;
};

struct Layer {
  int height = 0;
  std::string background;     // a colour, or empty
  std::vector<Element> elements;  // drawn on every page, before the page's own
  std::vector<PageElements> pages;
};

// One plugin's block: the layer drawn while it has the focus, and the one-line layer
// drawn while another plugin has it.
struct PluginLayers {
  std::string name;
  Layer expanded;
  Layer condensed;
};

struct Layout {
  int width = 0;
  int height = 0;
  // The list view's box in the form; missing figures fill the form above the soft keys.
  Box listView;
  std::string selectionColor;  // the colour that marks the focused plugin
  // The soft-key bar under the list; 0 for the view's default height.
  int softKeyHeight = 0;
  std::vector<PluginLayers> plugins;  // in the order of the file

  // The block of `name`, compared exactly as the order names it; nullptr when none.
  const PluginLayers* find(std::string_view name) const;
};

// Elements a layout may hold in all; the rest are dropped, so that a huge file cannot make
// every drawing huge.
inline constexpr size_t kMaxElements = 4000;

// Reads a layout. Invalid, with the parser's reason and its place, for text that is not
// XML or has no <Form> at its top; a file larger than kMaxLayoutBytes is refused. Unknown
// elements and attributes are skipped, figures out of range taken as missing.
platform::Result<Layout> parseLayout(std::string_view text);

// Whether `text` is a colour the view accepts: "#" and 3, 6 or 8 hex digits.
bool isColor(std::string_view text);

}  // namespace zelko::device::home
