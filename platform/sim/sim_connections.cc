#include "platform/sim/sim_connections.h"

#include <algorithm>
#include <charconv>

#include "platform/sim/device_settings.h"
#include "platform/sim/journal.h"
#include "platform/sim/sim_registry.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

constexpr char kOnlineSetting[] = "net.online";
constexpr char kProxySetting[] = "net.proxy";
// The names of the connections that are up, one a line.
constexpr char kDialupSetting[] = "net.dialup";

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::string joinLines(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) {
    if (!out.empty()) out += '\n';
    out += name;
  }
  return out;
}

auto findName(std::vector<std::string>& names, std::string_view name) {
  return std::find_if(names.begin(), names.end(),
                      [&](const std::string& n) { return equalsIgnoreCase(n, name); });
}

bool validPort(std::string_view text) {
  unsigned port = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  return ec == std::errc() && end == text.data() + text.size() && port >= 1 && port <= 65535;
}

}  // namespace

bool SimConnections::online() { return settings_.get(kOnlineSetting, "1") != "0"; }

Status SimConnections::setOnline(bool online) {
  if (online) return settings_.set(kOnlineSetting, "1");
  return change([&](std::vector<std::string>& names) {
    names.clear();
    return settings_.setInTransaction(kOnlineSetting, "0");
  });
}

std::string SimConnections::proxy() { return settings_.get(kProxySetting, ""); }

Status SimConnections::setProxy(std::string_view hostPort) {
  if (!hostPort.empty()) {
    size_t colon = hostPort.rfind(':');
    std::string_view host = hostPort.substr(0, colon == std::string_view::npos ? 0 : colon);
    bool blank = hostPort.find_first_of(" \t\r\n/") != std::string_view::npos;
    if (colon == std::string_view::npos || host.empty() || blank ||
        !validPort(hostPort.substr(colon + 1))) {
      return Status::Invalid("bad proxy " + std::string(hostPort) + " (expected HOST:PORT)");
    }
  }
  return settings_.set(kProxySetting, hostPort);
}

std::vector<std::string> SimConnections::active() {
  return splitLines(settings_.get(kDialupSetting, ""));
}

Status SimConnections::dial(std::string_view name) {
  if (name.empty() || name.find_first_of("\r\n") != std::string_view::npos) {
    return Status::Invalid("bad connection name");
  }
  return change([&](std::vector<std::string>& names) {
    if (findName(names, name) != names.end()) return Status::Ok();
    // Read inside the transaction, so that going offline at the same time cannot leave
    // a connection up on an offline device.
    if (!online()) return Status::Failed("the device is offline");
    names.emplace_back(name);
    return Status::Ok();
  });
}

Status SimConnections::connectData() {
  return change([&](std::vector<std::string>& names) {
    if (!online()) return Status::Failed("the device is offline");
    if (names.empty()) names.emplace_back(kDataConnectionName);
    return Status::Ok();
  });
}

Status SimConnections::hangUp(std::string_view name) {
  return change([&](std::vector<std::string>& names) {
    auto found = findName(names, name);
    if (found == names.end()) {
      return Status::NotFound("no dial-up connection " + std::string(name) + " is up");
    }
    names.erase(found);
    return Status::Ok();
  });
}

Status SimConnections::hangUpAll() {
  return change([](std::vector<std::string>& names) {
    names.clear();
    return Status::Ok();
  });
}

Status SimConnections::change(const std::function<Status(std::vector<std::string>&)>& edit) {
  std::vector<std::string> before, after;
  Status s = registry_.update(
      Root::kLocalMachine, kPhoneStateKey, kPhoneStatusName,
      [&](const std::optional<RegValue>& current) -> Result<std::optional<RegValue>> {
        before = active();
        after = before;
        Status e = edit(after);
        if (!e.ok()) return e;
        if (after != before) {
          e = settings_.setInTransaction(kDialupSetting, joinLines(after));
          if (!e.ok()) return e;
        }
        bool isDword = current && current->type == ValueType::kDword;
        uint32_t status = isDword ? current->dword : 0;
        uint32_t wanted = after.empty() ? status & ~kPhoneStatusDataConnection
                                        : status | kPhoneStatusDataConnection;
        // A phone that has no Status value yet gets one only when a connection is up.
        if (wanted == status && (isDword || after.empty())) return std::optional<RegValue>();
        return std::optional<RegValue>(RegValue::Dword(wanted));
      });
  if (!s.ok()) return s;
  for (const std::string& name : before) {
    if (findName(after, name) == after.end()) journal_.record("hangup", {JsonField::Text("name", name)});
  }
  for (const std::string& name : after) {
    if (findName(before, name) == before.end()) journal_.record("dial", {JsonField::Text("name", name)});
  }
  return Status::Ok();
}

}  // namespace zelko::platform::sim
