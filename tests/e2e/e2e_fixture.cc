#include "tests/e2e/e2e_fixture.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

extern char** environ;

namespace zelko::testing {
namespace {

std::filesystem::path binDir() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

}  // namespace

void EndToEndTest::SetUp() {
  DeviceTest::SetUp();
  std::filesystem::copy_file(binDir() / "zelko-probe", hostFile(kProbe));
}

int EndToEndTest::tool(const std::vector<std::string>& args, std::string* out) {
  std::vector<std::string> all = {(binDir() / "zelko-device").string(), "-d",
                                  (dir() / "device").string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int EndToEndTest::startProbe(const std::string& params) {
  auto r = platform().shell().execute({kProbe, params, false, std::chrono::milliseconds(-1)});
  return r.ok() ? r->pid : 0;
}

int EndToEndTest::runProbe(const std::string& params) {
  auto r = platform().shell().execute({kProbe, params, true, std::chrono::seconds(60)});
  return r.ok() && r->exitCode ? *r->exitCode : -1;
}

std::string EndToEndTest::report(const std::string& name) {
  auto v = platform().registry().getValue(platform::Root::kCurrentUser, "Software\\Probe", name);
  return v.ok() ? v->text : "";
}

bool EndToEndTest::waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::optional<int> EndToEndTest::exitCodeOf(int pid) {
  std::string tag = "\"pid\":" + std::to_string(pid) + ",\"code\":";
  for (const auto& e : journalEvents("exit")) {
    size_t at = e.find(tag);
    if (at != std::string::npos) return std::atoi(e.c_str() + at + tag.size());
  }
  return std::nullopt;
}

}  // namespace zelko::testing
