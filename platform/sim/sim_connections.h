// The device's connection manager: whether the device has a network at all, the proxy
// its programs reach the web through, and the dial-up connections that are up. All of it
// is kept in the device settings, so every program of the device sees the same state.
//
// While a connection is up, bit 0x1000 of HKLM\System\State\Phone "Status" is set, as
// the phone does; the list of connections and that bit change in one transaction and
// the bit's watchers are told. Dialling and hanging up go to the journal ("dial" and
// "hangup" events with the connection's name).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/radios.h"
#include "platform/status.h"

namespace zelko::platform::sim {

class DeviceSettings;
class Journal;
class SimRegistry;

// The connection the manager dials when a program asks for data and none is up.
inline constexpr char kDataConnectionName[] = "Internet";

class SimConnections {
 public:
  SimConnections(DeviceSettings& settings, SimRegistry& registry, Journal& journal)
      : settings_(settings), registry_(registry), journal_(journal) {}
  SimConnections(const SimConnections&) = delete;
  SimConnections& operator=(const SimConnections&) = delete;

  // A new device is online, without a proxy.
  bool online();
  // Going offline hangs up every connection.
  Status setOnline(bool online);
  // "HOST:PORT", or empty for none.
  std::string proxy();
  // Invalid unless `hostPort` is empty or a host, ":" and a port from 1 to 65535.
  Status setProxy(std::string_view hostPort);

  // The names of the connections that are up, in the order they were dialled.
  std::vector<std::string> active();
  // Brings up the connection `name` (names compare without regard to case); ok and
  // nothing changes when it is up already. Failed when the device is offline; Invalid
  // for an empty name or one with a line break.
  Status dial(std::string_view name);
  // What a program asks for before it goes on the web: dials kDataConnectionName unless
  // some connection is up. Failed when the device is offline.
  Status connectData();
  // NotFound when no connection of that name is up.
  Status hangUp(std::string_view name);
  Status hangUpAll();

 private:
  // Edits the list of connections and sets the state bit to match, in one transaction;
  // then journals what came and went.
  Status change(const std::function<Status(std::vector<std::string>&)>& edit);

  DeviceSettings& settings_;
  SimRegistry& registry_;
  Journal& journal_;
};

}  // namespace zelko::platform::sim
