#include "ZelkoSms/actions.h"

#include <vector>

#include "ZelkoSms/log.h"
#include "ZelkoSms/records.h"
#include "common/exact_action.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::sms {
namespace {

platform::Messaging& messaging(Suite& suite) { return suite.platform().messaging(); }

// The entry ids `which` names (see markRead), from one walk of the inbox when it names
// more than one record.
std::vector<uint64_t> targets(Suite& suite, std::string_view storeName, std::string_view which) {
  bool all = platform::equalsIgnoreCase(which, "all");
  bool unread = platform::equalsIgnoreCase(which, "unread");
  if (!all && !unread) {
    auto id = readRecord(suite, storeName, parseLeadingInt(which)).entryId;
    return id ? std::vector<uint64_t>{*id} : std::vector<uint64_t>{};
  }
  std::vector<uint64_t> ids;
  auto inbox = messaging(suite).inbox(platform::kSmsStore);
  if (!inbox.ok()) {
    logFailure("cannot read the texts", inbox.status());
    return ids;
  }
  for (const platform::InboxMessage& m : *inbox) {
    if (all || !m.read) ids.push_back(m.id);
  }
  return ids;
}

}  // namespace

void sendText(Suite& suite, std::string_view number, std::string_view text) {
  if (number.empty() || text.empty()) return;
  logFailure("the text was not sent", messaging(suite).sendSms(number, text, kSmsReadyWait));
}

void openComposer(Suite& suite, std::string_view number) {
  if (number.empty()) return;
  auto action = exactAction("%WINDOWS%\\tmail.exe",
                            {{"-Service"}, {"SMS", true}, {"-to"}, {std::string(number), true}},
                            suite.settings().specialFolders());
  if (!action) {
    logFailure("no composer", platform::Status::Invalid("the number cannot be handed over whole"));
    return;
  }
  if (!suite.runAction(*action).started) {
    logFailure("no composer", platform::Status::Failed("cannot start " + *action));
  }
}

void call(Suite& suite, std::string_view number) {
  if (number.empty()) return;
  logFailure("the call was not placed", messaging(suite).placeCall(number));
}

void notify(Suite& suite, std::string_view storeName, int n) {
  MessageRecord r = readRecord(suite, storeName, n);
  platform::Status shown = messaging(suite).showBubble(r.sender, r.subject);
  logFailure("no bubble", shown);
  if (!shown.ok()) return;
  suite.platform().clock().sleep(kBubbleTime);
  logFailure("the bubble stays", messaging(suite).removeBubble());
}

void markRead(Suite& suite, std::string_view storeName, std::string_view which) {
  if (platform::equalsIgnoreCase(which, "unread")) return;  // not a choice of -mark
  std::vector<uint64_t> ids = targets(suite, storeName, which);
  if (ids.empty()) return;
  logFailure("cannot mark texts read", messaging(suite).markRead(platform::kSmsStore, ids).status());
}

void deleteMessages(Suite& suite, std::string_view storeName, std::string_view which) {
  std::vector<uint64_t> ids = targets(suite, storeName, which);
  if (ids.empty()) return;
  logFailure("cannot delete texts", messaging(suite).remove(platform::kSmsStore, ids).status());
}

}  // namespace zelko::sms
