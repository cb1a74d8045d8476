// sms receive|list|sent|library: texts arriving in the phone's inbox, the inbox and the
// texts the programs sent. Every change goes through the device's message store, so the
// unread count under System\State follows, with notification, as on the phone.
#include <cstdio>

#include "device/cli.h"
#include "platform/date_time.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/sim_messaging.h"

namespace zelko::device {
namespace {

using platform::DateTime;
using platform::sim::SimMessaging;

const char kSmsUsage[] =
    "usage: zelko-device sms receive --from SENDER --text TEXT [--at 'YYYY-MM-DD HH:MM'] [--read]\n"
    "       zelko-device sms list\n"
    "       zelko-device sms sent\n"
    "       zelko-device sms library ready|stuck\n"
    "\n"
    "receive: a text arrives in the inbox of the store \"SMS\", from SENDER as the phone\n"
    "shows it (a contact's name such as \"Doe, John\", or a number), delivered at --at in\n"
    "device-local time (default: now), unread unless --read. Prints its entry id. The unread\n"
    "count System\\State\\Messages\\SMS\\Unread Count follows, with notification.\n"
    "list: the inbox, newest first: ID<TAB>TIME<TAB>read|unread<TAB>SENDER<TAB>TEXT.\n"
    "sent: the texts the programs sent, oldest first: TIME<TAB>NUMBER<TAB>TEXT.\n"
    "Times are device-local YYYY-MM-DD HH:MM; tabs and line breaks in texts are written as\n"
    "\\t, \\n, \\r.\n"
    "library stuck: the SMS library never gets ready to send, as a phone's sometimes does;\n"
    "programs then give up after their own time limit. ready (the default) undoes it.\n";

// Device-local "YYYY-MM-DD HH:MM" of a UTC time.
std::string localMinute(platform::Platform& p, const DateTime& utc) {
  std::string iso = platform::formatIsoDateTime(p.clock().toLocal(utc));
  iso[10] = ' ';
  return iso.substr(0, 16);
}

int receive(Context& ctx, Args& args) {
  auto from = args.option("--from"), text = args.option("--text"), at = args.option("--at");
  bool read = args.flag("--read");
  args.done();
  if (!from || !text) throw UsageError("a text needs --from and --text");
  platform::InboxMessage m;
  m.sender = *from;
  m.subject = *text;
  m.read = read;
  auto& p = ctx.platform();
  if (at) {
    auto local = platform::parseIsoDateTime(*at);
    if (!local) throw UsageError("bad --at " + *at + " (expected 'YYYY-MM-DD HH:MM')");
    m.delivered = p.clock().toUtc(*local);
  } else {
    m.delivered = p.clock().utcNow();
  }
  auto id = platform::sim::simMessaging(ctx.device()).receive(m);
  check(id.status());
  std::printf("%llu\n", static_cast<unsigned long long>(*id));
  return 0;
}

int list(Context& ctx, Args& args) {
  args.done();
  auto& p = ctx.platform();
  auto inbox = p.messaging().inbox(platform::kSmsStore);
  check(inbox.status());
  for (const auto& m : *inbox) {
    std::printf("%llu\t%s\t%s\t%s\t%s\n", static_cast<unsigned long long>(m.id),
                localMinute(p, m.delivered).c_str(), m.read ? "read" : "unread",
                escapeText(m.sender).c_str(), escapeText(m.subject).c_str());
  }
  return 0;
}

int sent(Context& ctx, Args& args) {
  args.done();
  auto texts = platform::sim::simMessaging(ctx.device()).sent();
  check(texts.status());
  for (const auto& t : *texts) {
    std::printf("%s\t%s\t%s\n", localMinute(ctx.platform(), t.time).c_str(),
                escapeText(t.number).c_str(), escapeText(t.text).c_str());
  }
  return 0;
}

int library(Context& ctx, Args& args) {
  std::string state = args.next("library state (ready or stuck)");
  args.done();
  if (state != "ready" && state != "stuck") throw UsageError("unknown library state " + state);
  check(ctx.device().settings().set(SimMessaging::kLibrarySetting, state));
  return 0;
}

int sms(Context& ctx, Args& args) {
  std::string sub = args.next("sms command (receive, list, sent, library)");
  if (sub == "receive") return receive(ctx, args);
  if (sub == "list") return list(ctx, args);
  if (sub == "sent") return sent(ctx, args);
  if (sub == "library") return library(ctx, args);
  throw UsageError("unknown sms command " + sub);
}

}  // namespace

const Command kSmsCommands[] = {
    {"sms", "receive a text, list the inbox and the texts sent", kSmsUsage, sms},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
