#include "device/home_view/touch.h"

#include "common/actions.h"
#include "common/host.h"
#include "common/special_folders.h"
#include "device/home_view/screen.h"

namespace zelko::device::home {
namespace {

using platform::Result;
using platform::Status;

// Actions whose program part is no file but a name the home screen gives a meaning.
struct HostAction {
  std::string_view name;
  std::string_view action;
};
constexpr HostAction kHostActions[] = {
    {":MSCALENDAR", "%WINDOWS%\\poutlook.exe;calendar"},
};

std::string_view actionValueOf(TouchTarget target) {
  switch (target) {
    case TouchTarget::kPanel: return "ACTIONURLPNX";
    case TouchTarget::kPage: return "ACTIONURL";
    case TouchTarget::kSoftKey: return "SK2URL";
    case TouchTarget::kElement: break;
  }
  return "";
}

Result<std::string> pageAction(platform::Registry& registry, const Touch& touch) {
  std::string key = dataSourceOf(registry, touch.plugin);
  if (!touch.page.empty()) key += "\\" + touch.page;
  std::string_view name = actionValueOf(touch.target);
  auto value = registry.getValue(platform::Root::kLocalMachine, key, name);
  if (!value.ok() || value->type != platform::ValueType::kString || value->text.empty()) {
    return Status::NotFound(touch.plugin + " " + touch.page + " has no " + std::string(name));
  }
  return value->text;
}

// The action a host name stands for; the action itself when it is none.
Result<std::string> hostMeaning(const std::string& action) {
  if (action.empty() || action[0] != ':') return action;
  std::string name = action.substr(0, action.find_first_of(";|"));
  for (const HostAction& known : kHostActions) {
    if (name == known.name) return std::string(known.action);
  }
  return Status::Invalid("the home screen knows no action " + name);
}

}  // namespace

std::optional<TouchTarget> touchTargetOf(std::string_view name) {
  if (name == "panel") return TouchTarget::kPanel;
  if (name == "page") return TouchTarget::kPage;
  if (name == "softkey") return TouchTarget::kSoftKey;
  return std::nullopt;
}

std::string_view touchTargetName(TouchTarget target) {
  switch (target) {
    case TouchTarget::kPanel: return "panel";
    case TouchTarget::kPage: return "page";
    case TouchTarget::kSoftKey: return "softkey";
    case TouchTarget::kElement: return "element";
  }
  return "";
}

Result<TouchRun> runTouch(platform::Platform& platform, platform::sim::Journal& journal, const Touch& touch) {
  TouchRun run;
  if (touch.target == TouchTarget::kElement) {
    run.action = touch.action;
  } else {
    Result<std::string> action = pageAction(platform.registry(), touch);
    if (!action.ok()) return action.status();
    run.action = *action;
  }
  Result<std::string> meant = hostMeaning(run.action);
  if (!meant.ok()) return meant.status();
  if (touch.at) {
    if (Status s = platform.windows().setCursorPosition(*touch.at); !s.ok()) return s;
  }
  // The touch comes before what it starts, in the journal as on the phone.
  using platform::sim::JsonField;
  journal.record("tap", {JsonField::Text("plugin", touch.plugin), JsonField::Text("page", touch.page),
                         JsonField::Text("target", touchTargetName(touch.target)),
                         JsonField::Text("action", run.action),
                         touch.at ? JsonField::Number("x", touch.at->x) : JsonField::Null("x"),
                         touch.at ? JsonField::Number("y", touch.at->y) : JsonField::Null("y")});
  ActionRun ran = runAction(platform.shell(), platform.ui(), readSpecialFolders(platform.shell()), *meant, false);
  run.started = ran.started;
  return run;
}

Status pressKey(platform::Windows& windows, platform::sim::HomeKey key, int steps) {
  platform::WindowHandle desktop = windows.findWindow(host::kDesktopWindowClass);
  platform::WindowHandle plugin = windows.findChildWindow(desktop, host::kPluginWindowClass);
  platform::WindowHandle focus = windows.findChildWindow(plugin, host::kFocusWindowClass);
  if (focus == 0) return Status::NotFound("the home screen is not running (zelko-device up starts it)");
  uint64_t vk = key == platform::sim::HomeKey::kLeft    ? platform::kVkLeft
                : key == platform::sim::HomeKey::kUp    ? platform::kVkUp
                : key == platform::sim::HomeKey::kRight ? platform::kVkRight
                                                        : platform::kVkDown;
  for (int i = 0; i < steps; ++i) {
    for (uint32_t message : {platform::kWmKeyDown, platform::kWmKeyUp}) {
      if (Status s = windows.postMessage({focus, message, vk, 0}); !s.ok()) return s;
    }
  }
  return Status::Ok();
}

}  // namespace zelko::device::home
