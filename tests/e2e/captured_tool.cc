#include "tests/e2e/captured_tool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/e2e/e2e_fixture.h"

extern char** environ;

namespace zelko::testing {

Captured captureTool(const std::filesystem::path& device, const std::vector<std::string>& args,
                     std::chrono::milliseconds limit) {
  Captured out;
  std::vector<std::string> all = {(binDir() / "zelko-device").string(), "-d", device.string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return out;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return out;
  }
  auto end = std::chrono::steady_clock::now() + limit;
  bool eof = false;
  while (!eof) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[4096];
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) {
      eof = n == 0;
      if (n < 0) break;
    } else {
      out.output.append(buf, static_cast<size_t>(n));
    }
  }
  close(fds[0]);
  int status = 0;
  if (!eof) kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  out.ended = eof;
  out.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

}  // namespace zelko::testing
