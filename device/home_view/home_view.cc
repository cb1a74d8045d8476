#include "device/home_view/home_view.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "common/host.h"
#include "device/home_view/screen.h"
#include "device/home_view/screen_html.h"
#include "device/home_view/touch.h"
#include "platform/sim/journal.h"
#include "platform/sim/ui_host.h"

namespace zelko::device::home {
namespace {

using platform::Status;
namespace fs = std::filesystem;

// Posted by the web server's threads: work waits.
constexpr uint32_t kWmViewWake = platform::kWmUser + 0x304;
// How long a request waits for the device thread to do its work.
constexpr std::chrono::seconds kWorkLimit{10};
// The most plugins whose values are watched: a layout naming more draws them all the same,
// but only a change of these redraws at once.
constexpr size_t kMaxWatchedPlugins = 64;

void report(const char* what, const Status& s) {
  if (!s.ok()) std::fprintf(stderr, "zelko-device home: %s: %s\n", what, s.message().c_str());
}

}  // namespace

HomeView::HomeView(platform::sim::Device& device, EventHub& hub)
    : device_(device), hub_(hub), home_(device.platform().registry(), device.settings()) {}

HomeView::~HomeView() {
  for (platform::NotificationHandle h : watches_) device_.platform().notifications().close(h);
  if (window_ != 0) report("closing the view's window", device_.platform().windows().destroyWindow(window_));
}

Status HomeView::start() {
  platform::Windows& windows = device_.platform().windows();
  if (windows.findWindow(platform::sim::kUiHostClass) != 0) {
    return Status::Invalid("another browser view serves this device already");
  }
  Status s = windows.registerClass(platform::sim::kUiHostClass,
                                   [this](const platform::Message& m) { return handleMessage(m); });
  if (!s.ok()) return s;
  auto window = windows.createWindow(platform::sim::kUiHostClass, "Home screen in a browser");
  if (!window.ok()) return window.status();
  window_ = *window;
  wakeWindow_ = window_;
  watch();
  draw();
  publishDialogs();
  return Status::Ok();
}

int64_t HomeView::handleMessage(const platform::Message& m) {
  switch (m.message) {
    case platform::sim::kWmUiHostBrowsers:
      return static_cast<int64_t>(hub_.clients());
    case platform::sim::kWmUiHostDialogs:
      dialogsDirty_ = true;
      break;
    case platform::sim::kWmUiHostDraw:
      dirty_ = true;
      break;
    default:
      break;  // kWmViewWake: the loop runs the waiting work next
  }
  return 0;
}

void HomeView::watchValue(const std::string& key, const std::string& name, bool endsBatch) {
  platform::Registry& registry = device_.platform().registry();
  auto handle = device_.platform().notifications().registerCallback(
      {platform::Root::kLocalMachine, key, name}, [this, &registry, key, name, endsBatch] {
        // "Updated" goes to "0" before a batch of writes and to "1" after it: only the end
        // of the batch is drawn.
        if (endsBatch) {
          auto value = registry.getValue(platform::Root::kLocalMachine, key, name);
          if (value.ok() && value->type == platform::ValueType::kString && value->text == "0") return;
        }
        dirty_ = true;
      });
  if (!handle.ok()) {
    report("watching a value", handle.status());
    return;
  }
  watches_.push_back(*handle);
}

void HomeView::watch() {
  rewatch_ = false;
  for (platform::NotificationHandle h : watches_) device_.platform().notifications().close(h);
  watches_.clear();
  const std::string homeKey(host::kHomeKey);
  platform::Registry& registry = device_.platform().registry();
  auto handle = device_.platform().notifications().registerCallback(
      {platform::Root::kLocalMachine, homeKey, std::string(host::kExtensibilityXml)},
      [this] { rewatch_ = dirty_ = true; });
  if (handle.ok()) watches_.push_back(*handle);
  report("watching the plugin order", handle.status());
  watchValue(homeKey, std::string(host::kCprFile), false);
  std::set<std::string> seen;
  for (const std::string& plugin : home_.plugins()) {
    if (plugin.empty() || !seen.insert(plugin).second) continue;
    if (seen.size() > kMaxWatchedPlugins) break;
    watchValue(dataSourceOf(registry, plugin), std::string(host::kUpdated), true);
    watchValue(homeKey + "\\" + plugin, std::string(host::kPages), false);
  }
}

const Layout* HomeView::currentLayout(std::string& problem) {
  platform::Platform& p = device_.platform();
  const std::string path = layoutFilePath(p.registry(), p.windows().screenSize());
  std::error_code ec;
  fs::path host = p.files().hostPath(path);
  auto changed = fs::last_write_time(host, ec);
  uint64_t size = ec ? 0 : fs::file_size(host, ec);
  if (ec) {
    problem = "There is no layout file " + path + " for this screen.";
    return nullptr;
  }
  int64_t stamp = changed.time_since_epoch().count();
  if (loaded_.path != path || loaded_.changed != stamp || loaded_.size != size) {
    loaded_ = LoadedLayout{path, stamp, size, std::nullopt, ""};
    platform::Result<Layout> parsed = platform::Status::Invalid(
        "it is larger than " + std::to_string(kMaxLayoutBytes >> 10) + " KB");
    if (size <= kMaxLayoutBytes) {
      auto text = p.files().readFile(path);
      parsed = text.ok() ? parseLayout(*text) : platform::Result<Layout>(text.status());
    }
    if (parsed.ok()) {
      loaded_.layout = std::move(*parsed);
    } else {
      loaded_.problem = "The layout file " + path + " cannot be drawn: " + parsed.status().message();
    }
  }
  problem = loaded_.problem;
  return loaded_.layout ? &*loaded_.layout : nullptr;
}

void HomeView::draw() {
  dirty_ = false;
  std::string problem;
  const Layout* layout = currentLayout(problem);
  Screen screen = buildScreen(device_.platform(), layout, problem, home_.focus(), home_.plugins());
  std::string html = renderScreen(screen);
  if (html == lastScreen_) return;
  lastScreen_ = html;
  hub_.publish({"screen", std::move(html), true});
}

void HomeView::publishDialogs() {
  dialogsDirty_ = false;
  auto open = device_.uiHost().openDialogs();
  if (!open.ok()) {
    report("reading the open dialogs", open.status());
    return;
  }
  std::string json = "[";
  for (const auto& d : *open) {
    if (json.size() > 1) json += ',';
    json += "{\"id\":" + std::to_string(d.id) + ",\"kind\":" +
            platform::sim::jsonQuote(platform::sim::dialogKindName(d.kind)) + ",\"dialog\":" + d.body + "}";
  }
  json += "]";
  if (json == lastDialogs_) return;
  lastDialogs_ = json;
  hub_.publish({"dialogs", json, true});
}

void HomeView::run(const std::atomic<bool>& stop) {
  platform::Windows& windows = device_.platform().windows();
  while (!stop) {
    windows.pumpMessages(std::chrono::milliseconds(1000));
    runWork();
    if (rewatch_) watch();
    if (dirty_) draw();
    if (dialogsDirty_) publishDialogs();
  }
}

void HomeView::runWork() {
  for (;;) {
    std::shared_ptr<Work> next;
    {
      std::lock_guard lock(workMutex_);
      if (work_.empty()) return;
      next = work_.front();
      work_.pop_front();
    }
    next->done.set_value(next->body(*this));
  }
}

Status HomeView::perform(std::function<Status(HomeView&)> body) {
  auto work = std::make_shared<Work>();
  work->body = std::move(body);
  std::future<Status> done = work->done.get_future();
  {
    std::lock_guard lock(workMutex_);
    work_.push_back(work);
  }
  wake();
  if (done.wait_for(kWorkLimit) != std::future_status::ready) {
    return Status::Busy("the device did not get to it in time");
  }
  return done.get();
}

void HomeView::wake() {
  platform::WindowHandle window = wakeWindow_;
  if (window == 0) return;
  report("waking the view", device_.platform().windows().postMessage({window, kWmViewWake, 0, 0}));
}

Status HomeView::tap(const PageTap& tap) {
  std::vector<std::string> order = home_.plugins();
  if (tap.position < 0 || static_cast<size_t>(tap.position) >= order.size() || order[tap.position] != tap.plugin) {
    return Status::NotFound("no plugin " + tap.plugin + " there any more");
  }
  platform::sim::HomeFocus focus = home_.focus();
  auto focused = std::find(order.begin(), order.end(), focus.plugin);
  int focusedAt = focused == order.end() ? 0 : static_cast<int>(focused - order.begin());
  if (tap.position != focusedAt) {
    // A condensed plugin is brought into focus, the way the arrow keys do.
    int steps = tap.position - focusedAt;
    return pressKey(device_.platform().windows(), steps > 0 ? platform::sim::HomeKey::kDown : platform::sim::HomeKey::kUp,
                    std::abs(steps));
  }
  std::vector<std::string> pages = home_.pages(tap.plugin);
  if (!tap.page.empty() && std::find(pages.begin(), pages.end(), tap.page) == pages.end()) {
    return Status::NotFound(tap.plugin + " has no page " + tap.page);
  }
  Touch touch{tap.plugin, tap.page, tap.softKey ? TouchTarget::kSoftKey : TouchTarget::kPanel, "", tap.at};
  std::string problem;
  const Layout* layout = currentLayout(problem);
  const PluginLayers* block = layout ? layout->find(tap.plugin) : nullptr;
  if (!tap.softKey && tap.element && block) {
    std::vector<const Element*> elements = layerElements(block->expanded, tap.page);
    if (*tap.element >= 0 && static_cast<size_t>(*tap.element) < elements.size()) {
      const Element& e = *elements[*tap.element];
      touch.action = e.action;
      touch.target = !e.action.empty() ? TouchTarget::kElement
                     : e.tap == TapTarget::kPage ? TouchTarget::kPage
                                                 : TouchTarget::kPanel;
    }
  }
  return runTouch(device_.platform(), device_.journal(), touch).status();
}

Status HomeView::key(platform::sim::HomeKey key) { return pressKey(device_.platform().windows(), key); }

Status HomeView::answer(int64_t dialog, const std::string& text) { return device_.uiHost().answer(dialog, text); }

}  // namespace zelko::device::home
