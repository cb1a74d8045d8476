// clock set|advance|show|run|freeze
#include <cstdio>

#include "device/cli.h"
#include "platform/sim/device_clock.h"

namespace zelko::device {
namespace {

const char kClockUsage[] =
    "usage: zelko-device clock set 'YYYY-MM-DD HH:MM[:SS]'\n"
    "       zelko-device clock advance MINUTES\n"
    "       zelko-device clock show\n"
    "       zelko-device clock run | freeze\n"
    "\n"
    "The device clock is frozen (it stays where it was set; a new device's clock is) or\n"
    "running. set and advance move it, write System\\State\\DateTime \"Time\" (and \"Date\"\n"
    "when the day changes) as the phone does, and start the timed starts that fell due.\n"
    "show prints the device-local time and the mode: YYYY-MM-DD HH:MM:SS<TAB>frozen|running.\n";

int clock(Context& ctx, Args& args) {
  std::string sub = args.next("clock command (set, advance, show, run, freeze)");
  auto& device = ctx.device();
  auto& clock = device.deviceClock();
  if (sub == "set") {
    std::string text = args.next("time");
    args.done();
    auto t = platform::parseIsoDateTime(text);
    if (!t) throw UsageError("bad time " + shortened(text) + " (expected YYYY-MM-DD HH:MM[:SS])");
    check(clock.setLocal(*t));
    check(device.tick());
  } else if (sub == "advance") {
    std::string text = args.next("MINUTES");
    args.done();
    constexpr int64_t kCentury = 100LL * 366 * 24 * 60;
    int64_t minutes = parseInteger(text, "MINUTES", -kCentury, kCentury);
    platform::Status moved = clock.advanceMinutes(minutes);
    if (moved.code() == platform::Status::Code::kInvalid) throw UsageError(moved.message());
    check(moved);
    check(device.tick());
  } else if (sub == "show") {
    args.done();
    std::string iso = platform::formatIsoDateTime(clock.localNow());
    iso[10] = ' ';
    std::printf("%s\t%s\n", iso.c_str(), clock.frozen() ? "frozen" : "running");
  } else if (sub == "run") {
    args.done();
    check(clock.run());
  } else if (sub == "freeze") {
    args.done();
    check(clock.freeze());
  } else {
    throw UsageError("unknown clock command " + shortened(sub));
  }
  return 0;
}

}  // namespace

const Command kClockCommands[] = {
    {"clock", "set, move, show, run or freeze the device clock", kClockUsage, clock},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
