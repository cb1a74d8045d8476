// Starting programs and opening files, the way the phone's shell does it.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/status.h"

namespace zelko::platform {

// Special folder identifiers of the shell.
enum class SpecialFolder : int {
  kPersonal = 0x05,      // \My Documents
  kMyMusic = 0x0D,       // \My Documents\My Music
  kMyVideo = 0x0E,       // \My Documents\My Video
  kWindows = 0x24,       // \Windows
  kProgramFiles = 0x26,  // \Program Files
  kMyPictures = 0x27,    // \My Documents\My Pictures
};

struct ExecRequest {
  std::string file;    // a device path or a bare name; a program or any file; may be quoted
  std::string params;  // the command line handed to the program as one string
  bool wait = false;   // wait for the program to end and fetch its exit code
  // With wait: give up waiting after this long (the program keeps running); negative waits
  // without limit.
  std::chrono::milliseconds waitLimit{-1};
};

struct ExecResult {
  int pid = 0;                    // 0 when a file was opened rather than a program started
  std::optional<int> exitCode;    // with wait, once the program ended
  bool timedOut = false;          // with wait, when waitLimit passed first
};

class Shell {
 public:
  Shell() = default;
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;
  virtual ~Shell() = default;

  // Starts the program `file` with `params`, or opens `file` when it is not a program.
  // A relative name is looked up in the caller's own folder and then in \Windows; device
  // paths match without regard to case. NotFound when there is no such file; every launch,
  // open and exit goes to the device's journal.
  virtual Result<ExecResult> execute(const ExecRequest& request) = 0;

  // The running program's command line as one string, exactly as it was started with.
  virtual std::string commandLine() = 0;
  // The device path of the running program's file ("\Program Files\ZelkoToday\x.exe").
  virtual std::string modulePath() = 0;
  // The device path of a special folder, without a trailing backslash; NotFound when the
  // device has none.
  virtual Result<std::string> specialFolder(SpecialFolder folder) = 0;

  // Registers `file` to be started at the device-local time `when`; a later call for the
  // same file replaces it; nullopt removes it. The device's background service fires it.
  virtual Status runAtTime(std::string_view file, std::optional<DateTime> when) = 0;
};

// Splits a command line the way the phone's C runtime does: arguments are separated by
// blanks and tabs outside double quotes; the quotes themselves are removed; a backslash
// is an ordinary character.
std::vector<std::string> splitCommandLine(std::string_view line);

}  // namespace zelko::platform
