// The browser view's side of the device, run on the thread that opened it: its window
// (the dialog host of ui_host.h, which the home screen also tells when it draws), the
// change callbacks on the values that end a drawing (each plugin's "Updated" and "Pages",
// the layout in ExtensibilityXML and CPRFile), and the work the web server hands over
// (taps, keys, answers). Each change is drawn once into an HTML fragment and published to
// the connected browsers; nothing is polled.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/home_view/event_hub.h"
#include "device/home_view/layout.h"
#include "platform/sim/device.h"
#include "platform/sim/home_screen.h"

namespace zelko::device::home {

// A tap in the page: on the plugin at `position` in the order (named `plugin`), on its
// page `page`, on the element numbered `element` of the drawn layer or on the plugin's
// background, or on the second soft key.
struct PageTap {
  std::string plugin;
  int position = 0;
  std::string page;
  std::optional<int> element;
  bool softKey = false;
  std::optional<platform::Point> at;
};

class HomeView {
 public:
  HomeView(platform::sim::Device& device, EventHub& hub);
  ~HomeView();
  HomeView(const HomeView&) = delete;
  HomeView& operator=(const HomeView&) = delete;

  // Device thread: the window, the callbacks, the first drawing. Invalid when another
  // view serves the device already.
  platform::Status start();
  // Device thread: handles messages, callbacks and handed-over work until `stop` is set
  // (wake() makes it look at once).
  void run(const std::atomic<bool>& stop);

  // Any thread: runs `work` on the device thread and returns its status; Busy when the
  // device thread did not get to it within a few seconds.
  platform::Status perform(std::function<platform::Status(HomeView&)> work);
  void wake();

  // Device thread (inside perform): what the page asks for.
  platform::Status tap(const PageTap& tap);
  platform::Status key(platform::sim::HomeKey key);
  platform::Status answer(int64_t dialog, const std::string& text);

 private:
  struct Work {
    std::function<platform::Status(HomeView&)> body;
    std::promise<platform::Status> done;
  };
  struct LoadedLayout {
    std::string path;
    int64_t changed = -1;
    uint64_t size = 0;
    std::optional<Layout> layout;
    std::string problem;
  };

  int64_t handleMessage(const platform::Message& message);
  void watch();
  void watchValue(const std::string& key, const std::string& name, bool endsBatch);
  const Layout* currentLayout(std::string& problem);
  void draw();
  void publishDialogs();
  void runWork();

  platform::sim::Device& device_;
  EventHub& hub_;
  platform::sim::HomeScreen home_;
  platform::WindowHandle window_ = 0;
  std::atomic<platform::WindowHandle> wakeWindow_{0};
  std::vector<platform::NotificationHandle> watches_;
  LoadedLayout loaded_;
  std::string lastScreen_;
  std::string lastDialogs_;
  bool dirty_ = true;
  bool rewatch_ = true;
  bool dialogsDirty_ = true;
  std::mutex workMutex_;
  std::deque<std::shared_ptr<Work>> work_;
};

}  // namespace zelko::device::home
