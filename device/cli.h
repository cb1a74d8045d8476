// The argument parser every zelko-device command uses, and the frame that runs them:
// one parser, one usage text per command, one way to fail.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/device.h"

namespace zelko::device {

// Bad input: the frame prints "zelko-device: <message>" and exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A failed operation: printed the same way, exit code 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Args {
 public:
  explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}

  // Takes "--name" wherever it stands.
  bool flag(const std::string& name);
  // Takes "--name VALUE" or "--name=VALUE"; UsageError when VALUE is missing.
  std::optional<std::string> option(const std::string& name);
  // Takes the next positional argument; UsageError naming `what` when there is none.
  std::string next(const std::string& what);
  std::optional<std::string> nextOptional();
  // Everything left, in order.
  std::vector<std::string> rest();
  // UsageError when anything is left over.
  void done();

 private:
  std::vector<std::string> args_;
};

// What a command works on: the device chosen with -d, opened on first use.
class Context {
 public:
  explicit Context(std::filesystem::path dir) : dir_(std::move(dir)) {}
  const std::filesystem::path& dir() const { return dir_; }
  // Failure with a clear message when there is no device.
  platform::sim::Device& device();
  platform::Platform& platform() { return device().platform(); }
  void close() { device_.reset(); }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<platform::sim::Device> device_;
};

struct Command {
  const char* name;
  const char* summary;  // one line for the command list
  const char* usage;    // the whole --help text
  int (*run)(Context& context, Args& args);
};

// The commands, one group per file.
extern const Command kDeviceCommands[];   // init install up down
extern const Command kRegCommands[];      // reg notifications
extern const Command kRunCommands[];      // exec action post
extern const Command kClockCommands[];    // clock
extern const Command kInspectCommands[];  // journal windows
extern const Command kItemsCommands[];    // contacts calendar
extern const Command kPowerCommands[];    // battery memory storage
extern const Command kShowCommands[];     // show
extern const Command kUiCommands[];       // ui
extern const Command kScreenCommands[];   // screen
extern const Command kHomeCommands[];     // home
extern const Command kTapCommands[];      // tap
extern const Command kNetCommands[];      // net dialup
extern const Command kFeedsCommands[];    // feeds
extern const Command kSmsCommands[];      // sms
extern const Command kRadioCommands[];    // radio

// Throws Failure with the status's message unless it is ok.
void check(const platform::Status& status);
// The same, but an Invalid status is the caller's mistake: a UsageError.
void checkInput(const platform::Status& status);
// A text as one tab-separated field: tabs and line breaks written as \t, \n, \r.
std::string escapeText(const std::string& text);
// Binary data as lower-case hex digits, two a byte, nothing between them.
std::string hexText(const std::vector<uint8_t>& bytes);
// The one number parser of the tool. A decimal or 0x-hexadecimal unsigned number of at
// most `max`; UsageError naming `what` for anything else, a number past `max` included
// (it is never cut down to fit).
uint64_t parseNumber(const std::string& text, const std::string& what, uint64_t max = UINT64_MAX);
// The same with an optional leading '-', between `min` and `max`.
int64_t parseInteger(const std::string& text, const std::string& what, int64_t min, int64_t max);
// A text given on the command line as a message shows it: a long one cut to its start.
std::string shortened(const std::string& text);

}  // namespace zelko::device
