// journal and windows: what happened on the device, and what runs on it.
#include <cstdio>

#include "device/cli.h"
#include "platform/sim/journal.h"

namespace zelko::device {
namespace {

const char kJournalUsage[] =
    "usage: zelko-device journal [--since SEQ] [--json]\n"
    "\n"
    "Prints the device's journal, oldest first: launches and exit codes, files opened,\n"
    "calls, texts, bubbles, dialogs, menus. Plain form: SEQ<TAB>TIME<TAB>EVENT<TAB>FIELDS;\n"
    "with --json one JSON object a line with seq, time (device-local) and event.\n"
    "--since SEQ prints only the events after SEQ.\n"
    "\n"
    "The journal keeps the newest events only (100,000 unless the device was made with\n"
    "init --journal-limit): each new event drops the oldest past that number. Sequence\n"
    "numbers are never reused, so --since goes on working across what was dropped.\n";

const char kWindowsUsage[] =
    "usage: zelko-device windows\n"
    "\n"
    "Lists the live windows: CLASS<TAB>TITLE<TAB>PID, one a line.\n";

int journal(Context& ctx, Args& args) {
  bool json = args.flag("--json");
  int64_t since = 0;
  if (auto s = args.option("--since")) since = parseInteger(*s, "SEQ", 0, INT64_MAX);
  args.done();
  for (const auto& e : ctx.device().journal().read(since)) {
    if (json) {
      std::printf("%s\n", e.json.c_str());
      continue;
    }
    // The fields of the JSON object after "event", without the braces.
    std::string marker = "\"event\":" + platform::sim::jsonQuote(e.event);
    size_t at = e.json.find(marker);
    std::string fields = at == std::string::npos ? "" : e.json.substr(at + marker.size());
    if (!fields.empty() && fields.front() == ',') fields.erase(0, 1);
    if (!fields.empty() && fields.back() == '}') fields.pop_back();
    std::printf("%lld\t%s\t%s\t%s\n", static_cast<long long>(e.seq), e.time.c_str(), e.event.c_str(),
                fields.c_str());
  }
  return 0;
}

int windows(Context& ctx, Args& args) {
  args.done();
  for (const auto& w : ctx.platform().windows().listWindows()) {
    std::printf("%s\t%s\t%d\n", w.className.c_str(), w.title.c_str(), w.pid);
  }
  return 0;
}

}  // namespace

const Command kInspectCommands[] = {
    {"journal", "print what happened on the device", kJournalUsage, journal},
    {"windows", "list the live windows", kWindowsUsage, windows},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
