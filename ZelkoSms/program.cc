#include "ZelkoSms/program.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "ZelkoSms/actions.h"
#include "ZelkoSms/display.h"
#include "ZelkoSms/listing.h"
#include "ZelkoSms/log.h"
#include "ZelkoSms/menu.h"
#include "ZelkoSms/records.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::sms {
namespace {

constexpr int kDefaultMax = 5;
// Two listings at once would interleave their records, one text's sender beside another's
// subject: a listing waits for one that runs, but not for ever, since the engine waits for
// this program with a limit of its own.
constexpr std::string_view kListingMutex = "ZelkoSms listing";
constexpr std::chrono::milliseconds kListingWait{8000};
constexpr std::chrono::milliseconds kListingPoll{20};

// The listing's mutex, held by no other program when it was taken; nullptr when another
// one held it all through kListingWait or there is none to take.
std::unique_ptr<platform::NamedMutex> takeListing(Suite& suite) {
  platform::Platform& p = suite.platform();
  auto until = p.clock().steadyNow() + kListingWait;
  for (;;) {
    auto mutex = p.sync().createMutex(kListingMutex);
    if (!mutex.ok()) {
      logFailure("listing without the listing's mutex", mutex.status());
      return nullptr;
    }
    if (!(*mutex)->alreadyExisted()) return std::move(*mutex);
    mutex->reset();
    if (p.clock().steadyNow() >= until) {
      logFailure("listing beside another one",
                 platform::Status::Busy("another listing ran all through the wait"));
      return nullptr;
    }
    p.clock().sleep(kListingPoll);
  }
}

// The store name of -reg. The listing deletes the key it names before writing: an empty
// name or one with a backslash would name Software\Zelko itself or another program's
// records, and is refused.
std::optional<std::string> storeNameOf(const Settings& settings) {
  auto reg = settings.argument("-reg");
  if (!reg) return std::string(kDefaultStoreName);
  if (reg->empty() || reg->find('\\') != std::string::npos) return std::nullopt;
  return reg;
}

// -sms and -reply: with -text send it (numbers and texts are read whole, colons and all,
// so a text such as "See you at 10:30" goes out as it was written), else the composer.
int sendOrCompose(Suite& suite, const std::string& number) {
  if (auto text = suite.settings().argumentText("-text")) {
    sendText(suite, number, *text);
  } else {
    openComposer(suite, number);
  }
  return 1;
}

int listing(Suite& suite, const std::string& storeName) {
  Settings& settings = suite.settings();
  bool onlyUnread = true;
  if (settings.homeScreenMode() && settings.suiteIni().getNumber("SMS", "allread", 0) != 0) {
    onlyUnread = false;
  }
  if (platform::equalsIgnoreCase(settings.argument("-read").value_or(""), "all")) onlyUnread = false;
  auto guard = takeListing(suite);
  listMessages(suite, storeName, settings.argumentNumber("-max", kDefaultMax), onlyUnread);
  matchContacts(suite);
  if (settings.homeScreenMode()) display(suite);
  return 0;
}

}  // namespace

int run(Suite& suite) {
  Settings& settings = suite.settings();
  auto storeName = storeNameOf(settings);
  if (!storeName) {
    logFailure("nothing done", platform::Status::Invalid("bad -reg name (empty or with \\)"));
    return 1;
  }
  const std::string& name = *storeName;
  auto record = [&](std::string_view sw) { return settings.argumentNumber(sw, 0); };
  if (settings.hasArgument("-infos") && settings.homeScreenMode()) {
    toggleInfos(suite, name, record("-infos"));
    return 0;
  }
  if (settings.hasArgument("-phone")) {
    call(suite, settings.argumentText("-phone").value_or(""));
    return 1;
  }
  if (settings.hasArgument("-sms")) return sendOrCompose(suite, *settings.argumentText("-sms"));
  if (settings.hasArgument("-reply")) {
    return sendOrCompose(suite, readRecord(suite, name, record("-reply")).number());
  }
  if (settings.hasArgument("-mark")) {
    markRead(suite, name, settings.argument("-mark").value_or(""));
    return 1;
  }
  if (settings.hasArgument("-action")) {
    showMenu(suite, name, record("-action"));
    return 1;
  }
  if (settings.hasArgument("-call")) {
    call(suite, readRecord(suite, name, record("-call")).callNumber());
    return 1;
  }
  if (settings.hasArgument("-notify")) {
    notify(suite, name, record("-notify"));
    return 1;
  }
  if (settings.hasArgument("-delete")) {
    deleteMessages(suite, name, settings.argument("-delete").value_or(""));
  }
  return listing(suite, name);
}

}  // namespace zelko::sms
