#include "tests/e2e/spawned.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace zelko::testing {

std::string readWhole(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

pid_t spawnLogged(const std::vector<std::string>& args, const std::filesystem::path& output) {
  std::vector<std::string> all = args;
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : 0;
}

int awaitPort(pid_t& pid, const std::filesystem::path& output, const std::string& marker) {
  for (int i = 0; i < 500 && pid != 0; ++i) {
    std::string said = readWhole(output);
    size_t at = said.find(marker);
    if (at != std::string::npos) {
      int port = std::atoi(said.c_str() + at + marker.size());
      if (port > 0) return port;
    }
    if (waitExit(pid, std::chrono::milliseconds(20))) pid = 0;
  }
  return 0;
}

std::optional<int> waitExit(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (std::chrono::steady_clock::now() > end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int stopProcess(pid_t pid, std::chrono::milliseconds limit) {
  kill(pid, SIGTERM);
  std::optional<int> code = waitExit(pid, limit);
  if (!code) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  return code.value_or(-1);
}

}  // namespace zelko::testing
