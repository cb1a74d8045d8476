// zelko-device: creates, drives and inspects an emulated device.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/cli.h"

using namespace zelko::device;

namespace {

const char kUsage[] =
    "usage: zelko-device [-d DIR | --device DIR] COMMAND [ARGS]\n"
    "\n"
    "Creates, drives and inspects an emulated phone. The device is DIR, else\n"
    "$ZELKO_DEVICE, else ~/.local/share/zelko/device.\n"
    "\n"
    "commands:\n";

// One group a line: each command file adds its own.
const Command* const kGroups[] = {
    kDeviceCommands,
    kRegCommands,
    kRunCommands,
    kClockCommands,
    kPowerCommands,
    kInspectCommands,
    kItemsCommands,
    kShowCommands,
    kUiCommands,
    kScreenCommands,
    kHomeCommands,
    kTapCommands,
    kNetCommands,
    kFeedsCommands,
    kSmsCommands,
    kRadioCommands,
};

const Command* findCommand(const std::string& name) {
  for (const Command* group : kGroups) {
    for (const Command* c = group; c->name; ++c) {
      if (name == c->name) return c;
    }
  }
  return nullptr;
}

void printUsage(FILE* out) {
  std::fputs(kUsage, out);
  for (const Command* group : kGroups) {
    for (const Command* c = group; c->name; ++c) std::fprintf(out, "  %-14s %s\n", c->name, c->summary);
  }
  std::fputs("\nzelko-device COMMAND --help tells more.\n", out);
}

std::filesystem::path defaultDevice() {
  if (const char* env = std::getenv("ZELKO_DEVICE"); env && *env) return env;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / ".local/share/zelko/device";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::filesystem::path dir = defaultDevice();
  size_t i = 0;
  while (i < args.size() && args[i].size() > 1 && args[i][0] == '-') {
    if (args[i] == "-d" || args[i] == "--device") {
      if (i + 1 == args.size()) {
        std::fprintf(stderr, "zelko-device: %s needs the device's folder\n", args[i].c_str());
        return 2;
      }
      if (args[i + 1].empty()) {
        std::fprintf(stderr, "zelko-device: %s needs the device's folder, not an empty name\n",
                     args[i].c_str());
        return 2;
      }
      dir = args[i + 1];
      i += 2;
    } else if (args[i] == "--help" || args[i] == "-h") {
      printUsage(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "zelko-device: unknown option %s\n", shortened(args[i]).c_str());
      return 2;
    }
  }
  if (i == args.size()) {
    printUsage(stderr);
    return 2;
  }
  const Command* command = findCommand(args[i]);
  if (!command) {
    std::fprintf(stderr, "zelko-device: unknown command %s (see zelko-device --help)\n",
                 shortened(args[i]).c_str());
    return 2;
  }
  Args rest(std::vector<std::string>(args.begin() + static_cast<long>(i) + 1, args.end()));
  if (rest.flag("--help") || rest.flag("-h")) {
    std::fputs(command->usage, stdout);
    return 0;
  }
  Context context(dir);
  try {
    return command->run(context, rest);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "zelko-device %s: %s (see zelko-device %s --help)\n", command->name,
                 e.what(), command->name);
    return 2;
  } catch (const Failure& e) {
    std::fprintf(stderr, "zelko-device %s: %s\n", command->name, e.what());
    return 1;
  } catch (const std::exception& e) {
    // The host refusing something (a folder that cannot be made, memory): said, not aborted.
    std::fprintf(stderr, "zelko-device %s: %s\n", command->name, e.what());
    return 1;
  }
}
