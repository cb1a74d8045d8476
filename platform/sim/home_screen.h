// The home screen's state: which plugin, and which of its pages, has the focus, and how
// the arrow keys move it. The plugins are those of the layout (ExtensibilityXML) in screen
// order; a plugin's pages are those of its "Pages" value. Up and down go to the plugin
// above or below, onto its first page; left and right go to the neighbouring page; at an
// end the focus stays.
//
// The focus is kept in the device's settings, so every process of the device reads the
// same one; only the process that runs the home screen's windows (home_host.h) moves it.
// Nothing here draws: a view registers a draw listener in that process, or, in another
// process, follows the journal (a "key" event for each key with the focus it reached, a
// "redraw" event for each switch of drawing) and reads focus() and pages().
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/device_settings.h"
#include "platform/status.h"

namespace zelko::platform::sim {

struct HomeFocus {
  std::string plugin;  // empty when the layout lists no plugin
  std::string page;    // empty when the plugin lists no page
  bool operator==(const HomeFocus&) const = default;
};

enum class HomeKey { kLeft, kUp, kRight, kDown };
// The arrow a virtual key stands for; nullopt for any other key.
std::optional<HomeKey> homeKeyOf(uint64_t virtualKey);
// "left", "up", "right" or "down".
std::string_view homeKeyName(HomeKey key);

class HomeScreen {
 public:
  using DrawListener = std::function<void(const HomeFocus&)>;

  HomeScreen(Registry& registry, DeviceSettings& settings);
  HomeScreen(const HomeScreen&) = delete;
  HomeScreen& operator=(const HomeScreen&) = delete;

  // The plugins in screen order; empty pieces of the list are kept, so that a position
  // matches the number of ";" before it.
  std::vector<std::string> plugins();
  // A plugin's pages in order; empty when it has no "Pages" value.
  std::vector<std::string> pages(std::string_view plugin);
  // The focus as kept, fitted to the layout as it is now: a plugin that left the layout
  // gives way to the first one, a page that left its plugin's list to the first page.
  HomeFocus focus();
  // Moves the focus one step and returns where it is then. IoError when the focus
  // cannot be kept; it is then where it was.
  Result<HomeFocus> move(HomeKey key);
  // Puts the focus on the first page of the first plugin, as a home screen starting up.
  Status reset();

  // Drawing: while it is off (WM_SETREDRAW 0) moves are not drawn; turning it on draws
  // once when anything changed meanwhile.
  void setRedraw(bool on);
  bool redraw() const { return redraw_; }
  // Draws the current focus at once, changed or not (the window was invalidated).
  void invalidate();
  // The one listener of this process that draws: called with the focus each time the
  // home screen is to be drawn. An empty function removes it.
  void setDrawListener(DrawListener listener);

 private:
  struct Place {
    std::vector<std::string> plugins;
    std::vector<std::string> pages;  // of the focused plugin
    size_t plugin = 0;
    size_t page = 0;
    HomeFocus focus() const;
  };
  Place place();
  Status keep(const Place& place);
  void draw();

  Registry& registry_;
  DeviceSettings& settings_;
  bool redraw_ = true;
  bool changed_while_hidden_ = false;
  DrawListener listener_;
};

}  // namespace zelko::platform::sim
