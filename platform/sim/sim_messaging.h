// The messaging service of the emulated device: the text-message store "SMS" with its
// inbox and the outbox of texts sent, kept in messages.db; calls and bubbles go to the
// journal. Every change of the inbox sets the unread count under System\State through the
// notifying setter, as the phone does, so the engine hears of a text arriving.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/clock.h"
#include "platform/messaging.h"
#include "platform/registry.h"
#include "platform/sim/db.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/journal.h"

namespace zelko::platform::sim {

struct SentText {
  DateTime time;  // UTC
  std::string number;
  std::string text;
};

class SimMessaging final : public Messaging {
 public:
  // messages.db is opened on first use and never created here: `zelko-device init` makes
  // it, and a device that lacks it reports the file as missing. `runDir` holds the lock
  // that keeps the unread count in step with the inbox when programs change it together.
  SimMessaging(std::filesystem::path messagesPath, std::filesystem::path runDir,
               Registry& registry, Journal& journal, Clock& clock, DeviceSettings& settings);
  static Status createSchema(Database& db);

  Result<std::vector<InboxMessage>> inbox(std::string_view store) override;
  Result<size_t> markRead(std::string_view store, std::span<const uint64_t> ids) override;
  Result<size_t> remove(std::string_view store, std::span<const uint64_t> ids) override;
  Status sendSms(std::string_view number, std::string_view text,
                 std::chrono::milliseconds readyWait) override;
  Status placeCall(std::string_view number) override;
  Status showBubble(std::string_view title, std::string_view body) override;
  Status removeBubble() override;

  // What the phone does, not the programs (zelko-device and the tests):
  // A text arrives in the SMS inbox (`id` is ignored); its new entry id.
  Result<uint64_t> receive(const InboxMessage& message);
  // The texts sent, oldest first.
  Result<std::vector<SentText>> sent();
  // The device setting that makes the SMS library never get ready, to try a program's
  // bound on its wait: "ready" (the default) or "stuck".
  static constexpr std::string_view kLibrarySetting = "sms.library";

 private:
  Result<Database*> db();
  // Runs `body` in one write transaction and then stores the unread count, both under the
  // device's messages lock, so the count last written is that of the last change.
  Status changeInbox(const std::function<Status(Database&)>& body);
  Result<size_t> changeEach(std::string_view store, std::span<const uint64_t> ids,
                            std::string_view sql);

  std::filesystem::path messagesPath_;
  std::filesystem::path lockPath_;
  Registry& registry_;
  Journal& journal_;
  Clock& clock_;
  DeviceSettings& settings_;
  std::mutex openMutex_;
  std::unique_ptr<Database> db_;
};

// The messaging service of a device, with what only the device does (receive, sent).
class Device;
SimMessaging& simMessaging(Device& device);

}  // namespace zelko::platform::sim
