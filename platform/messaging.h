// Message stores, texts, calls and notification bubbles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/status.h"

namespace zelko::platform {

struct InboxMessage {
  uint64_t id = 0;
  std::string sender;   // number or name as delivered
  std::string subject;  // a text message's text
  DateTime delivered;   // UTC
  bool read = false;
};

class Messaging {
 public:
  Messaging() = default;
  Messaging(const Messaging&) = delete;
  Messaging& operator=(const Messaging&) = delete;
  virtual ~Messaging() = default;

  // The text-message inbox, newest first.
  virtual std::vector<InboxMessage> inbox() = 0;
  // Both keep the unread count under System\State\Messages current.
  virtual Status markRead(uint64_t id) = 0;
  virtual Status remove(uint64_t id) = 0;
  virtual Status sendSms(std::string_view number, std::string_view text) = 0;
  virtual Status placeCall(std::string_view number) = 0;
  virtual Status showBubble(std::string_view title, std::string_view body) = 0;
  virtual Status removeBubble() = 0;
};

}  // namespace zelko::platform
