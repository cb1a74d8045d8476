// The home screen as it is to be drawn now: the layout's blocks of the plugins in screen
// order, the focused one expanded on its focused page and the others condensed, each
// element placed on the screen with the text or image its value gives, and the soft keys.
// Built from the device (layout file, order, focus, page values, files) and drawn by
// screen_html.h; nothing here knows HTML.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/home_view/layout.h"
#include "platform/platform.h"
#include "platform/sim/home_screen.h"

namespace zelko::device::home {

// One element where it is drawn, in pixels from the top left of its plugin's row.
struct DrawnElement {
  const Element* element = nullptr;  // its place and style in the layout
  int number = 0;                    // its number among the elements of the drawn layer
  int x = 0, y = 0, width = 0, height = 0;
  std::string text;        // a text's value
  std::string imagePath;   // an image's device path
  int64_t imageVersion = 0;  // the file's last change, so that a changed file is fetched anew
};

struct DrawnPlugin {
  std::string name;
  int position = 0;       // in the order, counting from 0
  bool focused = false;   // drawn expanded
  bool hasLayers = false; // the layout holds its block
  std::string page;       // the focused page when focused, else empty
  int top = 0;            // from the top of the list, before scrolling
  int height = 0;
  std::string background;
  std::vector<DrawnElement> elements;
};

struct Screen {
  int width = 0, height = 0;
  int listX = 0, listY = 0, listWidth = 0, listHeight = 0;
  int scroll = 0;  // how far the list is moved up to show the focused plugin whole
  std::string selectionColor;
  std::vector<DrawnPlugin> plugins;
  int softKeyHeight = 0;
  std::string softKey2;  // SK2TEXT of the focused page
  std::string problem;   // why the layout could not be drawn; empty when it could
};

// The elements of `layer` drawn on `page`, in drawing order: the layer's own, then the
// page's. An element's number in this list is how a tap names it.
std::vector<const Element*> layerElements(const Layer& layer, std::string_view page);

// The registry key (under HKLM) a plugin's values live under: its "DataSource" value when
// it has one, else its own key below the home screen's.
std::string dataSourceOf(platform::Registry& registry, std::string_view plugin);

// The device path of the layout file of the current screen: \Windows\BASE_WxH.cpr, BASE
// from ExtensibilityXML's CPRFileName, else from CPRFile.
std::string layoutFilePath(platform::Registry& registry, platform::ScreenSize screen);

// Builds the screen from the device: `order` is the home screen's plugin order and `focus`
// its focus (home_screen.h). `layout` is nullptr when the file could not be read; `problem`
// then says why, and every plugin is drawn as a row with its name.
Screen buildScreen(platform::Platform& platform, const Layout* layout, std::string_view problem,
                   const platform::sim::HomeFocus& focus, const std::vector<std::string>& order);

}  // namespace zelko::device::home
