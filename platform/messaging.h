// Message stores, texts, calls and notification bubbles.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/status.h"

namespace zelko::platform {

// The display name of the phone's text-message store.
inline constexpr std::string_view kSmsStore = "SMS";

// The state value the phone keeps the number of unread texts in (HKEY_CURRENT_USER, DWORD).
inline constexpr std::string_view kSmsUnreadKey = "System\\State\\Messages\\SMS\\Unread";
inline constexpr std::string_view kSmsUnreadValue = "Count";

struct InboxMessage {
  // The message's entry id: unique in its store and never given to another message, so a
  // program that kept it acts on that message or on none.
  uint64_t id = 0;
  std::string sender;   // as the phone shows it: a contact's name or a number
  std::string subject;  // a text message's text
  DateTime delivered;   // UTC
  bool read = false;
};

// Every call may run on any thread, one at a time per object. Changes made by other
// programs at the same time are never lost or half seen: each call is one transaction.
class Messaging {
 public:
  Messaging() = default;
  Messaging(const Messaging&) = delete;
  Messaging& operator=(const Messaging&) = delete;
  virtual ~Messaging() = default;

  // The inbox of the store whose display name is `store` (compared exactly), newest
  // delivery first; of two delivered at the same time, the later arrival first.
  // NotFound when there is no such store; IoError when it cannot be read.
  virtual Result<std::vector<InboxMessage>> inbox(std::string_view store) = 0;
  // Set the read flag of / delete the listed messages, all in one change. Entry ids the
  // store does not hold (any more) are skipped. The count of messages changed. Both keep
  // the unread count under kSmsUnreadKey current, through the notifying setter.
  virtual Result<size_t> markRead(std::string_view store, std::span<const uint64_t> ids) = 0;
  virtual Result<size_t> remove(std::string_view store, std::span<const uint64_t> ids) = 0;

  // The SMS library: waits at most `readyWait` for the library to be ready to send (Busy
  // when it is not, and nothing is sent), then sends `text` to `number`. Invalid for an
  // empty number or text.
  virtual Status sendSms(std::string_view number, std::string_view text,
                         std::chrono::milliseconds readyWait) = 0;
  // The phone library's call. Invalid for an empty number.
  virtual Status placeCall(std::string_view number) = 0;
  // The suite's notification bubble: showing one replaces the one shown; removing takes it
  // away (NotFound when none is shown).
  virtual Status showBubble(std::string_view title, std::string_view body) = 0;
  virtual Status removeBubble() = 0;
};

}  // namespace zelko::platform
