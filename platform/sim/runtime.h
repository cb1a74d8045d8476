// What one process of the device shares between its services: the device's identity and
// the process's message queue, opened the first time a service needs it (a program that
// never receives a message never binds one).
#pragma once

#include <memory>
#include <string>

#include "platform/sim/message_queue.h"
#include "platform/sim/process_info.h"

namespace zelko::platform::sim {

class Runtime {
 public:
  explicit Runtime(std::string deviceId) : deviceId_(std::move(deviceId)), self_(currentProcess()) {}
  const std::string& deviceId() const { return deviceId_; }
  const ProcessId& self() const { return self_; }
  // The process's queue; nullptr when it cannot be bound.
  MessageQueue* queue();

 private:
  std::string deviceId_;
  ProcessId self_;
  std::unique_ptr<MessageQueue> queue_;
  bool failed_ = false;
};

}  // namespace zelko::platform::sim
