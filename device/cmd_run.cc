// exec, action and post: what the device's shell and window manager do for programs.
#include <cstdio>

#include "common/actions.h"
#include "device/cli.h"

namespace zelko::device {
namespace {

const char kExecUsage[] =
    "usage: zelko-device exec [--wait] PROGRAM [PARAMS...]\n"
    "\n"
    "Starts PROGRAM (a device path such as '\\Program Files\\ZelkoToday\\ZelkoToday.exe',\n"
    "or a name found in \\Windows) with PARAMS joined by blanks as its command line, or\n"
    "opens it when it is not a program. Prints the program's pid. With --wait, waits for\n"
    "the program to end and exits with its exit code.\n";

const char kActionUsage[] =
    "usage: zelko-device action [--wait] 'ACTION STRING'\n"
    "\n"
    "Runs an action string as the suite does: path macros such as %ZELKOTODAY% are\n"
    "expanded, then the program part (up to '|' or ';') is started with the arguments\n"
    "part. With --wait, exits with the program's exit code.\n";

const char kPostUsage[] =
    "usage: zelko-device post CLASS MESSAGE [WPARAM [LPARAM]]\n"
    "\n"
    "Posts a window message to the live top-level window of class CLASS. Numbers are\n"
    "decimal or 0x-hexadecimal; LPARAM may be negative.\n";

std::string joinParams(const std::vector<std::string>& params) {
  std::string out;
  for (const auto& p : params) out += (out.empty() ? "" : " ") + p;
  return out;
}

int exec(Context& ctx, Args& args) {
  platform::ExecRequest request;
  request.wait = args.flag("--wait");
  request.file = args.next("PROGRAM");
  request.params = joinParams(args.rest());
  auto result = ctx.platform().shell().execute(request);
  check(result.status());
  if (result->pid) std::printf("%d\n", result->pid);
  if (request.wait && result->exitCode) return *result->exitCode;
  return 0;
}

int action(Context& ctx, Args& args) {
  bool wait = args.flag("--wait");
  std::string text = args.next("ACTION STRING");
  args.done();
  auto& p = ctx.platform();
  ActionRun run = runAction(p.shell(), p.ui(), readSpecialFolders(p.shell()), text, wait);
  if (!run.started) {
    throw Failure("nothing could be run for " + shortened(run.expanded.empty() ? text : run.expanded));
  }
  return wait && run.exitCode ? *run.exitCode : 0;
}

int post(Context& ctx, Args& args) {
  std::string className = args.next("CLASS");
  platform::Message m;
  m.message = static_cast<uint32_t>(parseNumber(args.next("MESSAGE"), "MESSAGE", UINT32_MAX));
  if (auto w = args.nextOptional()) m.wParam = parseNumber(*w, "WPARAM");
  if (auto l = args.nextOptional()) m.lParam = parseInteger(*l, "LPARAM", INT64_MIN, INT64_MAX);
  args.done();
  auto& windows = ctx.platform().windows();
  m.window = windows.findWindow(className);
  if (!m.window) throw Failure("no window of class " + shortened(className));
  check(windows.postMessage(m));
  return 0;
}

}  // namespace

const Command kRunCommands[] = {
    {"exec", "start a program or open a file", kExecUsage, exec},
    {"action", "run an action string", kActionUsage, action},
    {"post", "post a message to a window", kPostUsage, post},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
