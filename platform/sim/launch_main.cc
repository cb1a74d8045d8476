// zelko-launch: runs one program of the device for the device's shell and writes its
// launch and its exit code to the journal.
//
//   zelko-launch --wait|--detach FD HOST_FILE DEVICE_PATH ASKED PARAMS
//
// FD receives the program's pid (0 when it could not start). With --detach the launcher
// leaves its starter at once, so a starter that does not wait leaves no zombie behind and
// the exit is still recorded. The launcher exits with the program's exit code.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/sim/device.h"
#include "platform/sim/device_log.h"
#include "platform/sim/journal.h"

extern char** environ;

using zelko::platform::sim::Device;
using zelko::platform::sim::JsonField;

namespace {

void reportPid(int fd, int pid) {
  ssize_t n = write(fd, &pid, sizeof pid);
  (void)n;
  close(fd);
}

int exitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7 || (std::strcmp(argv[1], "--wait") != 0 && std::strcmp(argv[1], "--detach") != 0)) {
    std::fprintf(stderr, "zelko-launch is started by the device's shell, not by hand\n");
    return 2;
  }
  int fd = std::atoi(argv[2]);
  // The pid pipe is for the shell alone, not for the program started below.
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  std::string host = argv[3], devicePath = argv[4], asked = argv[5], params = argv[6];
  if (std::strcmp(argv[1], "--detach") == 0) {
    pid_t child = fork();
    if (child < 0) {
      reportPid(fd, 0);
      return 1;
    }
    if (child > 0) _exit(0);
  }

  auto device = Device::open(Device::locate().value_or(""));
  if (!device.ok()) {
    std::fprintf(stderr, "zelko-launch: %s\n", device.status().message().c_str());
    reportPid(fd, 0);
    return 127;
  }
  // The program's output goes to its log (see SimShell), which must not grow for as long
  // as a resident program runs.
  zelko::platform::sim::keepDeviceLogTrimmed(
      zelko::platform::sim::deviceLogPath((*device)->dir(), devicePath));
  auto& journal = (*device)->journal();
  std::vector<JsonField> fields = {JsonField::Text("program", asked), JsonField::Text("params", params),
                                   JsonField::Bool("ok", true), JsonField::Null("pid")};
  // Written before the program starts, so that it comes before anything the program does.
  int64_t seq = journal.record("launch", fields);

  setenv("ZELKO_COMMAND_LINE", params.c_str(), 1);
  setenv("ZELKO_MODULE", devicePath.c_str(), 1);
  std::vector<std::string> args = {devicePath};
  for (auto& a : zelko::platform::splitCommandLine(params)) args.push_back(a);
  std::vector<char*> cargv;
  for (auto& a : args) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, host.c_str(), nullptr, nullptr, cargv.data(), environ);
  if (rc != 0) {
    fields[2] = JsonField::Bool("ok", false);
    journal.amend(seq, fields);
    reportPid(fd, 0);
    return 127;
  }
  fields[3] = JsonField::Number("pid", pid);
  journal.amend(seq, fields);
  reportPid(fd, pid);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 1;
  }
  int code = exitCodeOf(status);
  journal.record("exit", {JsonField::Text("program", asked), JsonField::Number("pid", pid),
                          JsonField::Number("code", code)});
  return code;
}
