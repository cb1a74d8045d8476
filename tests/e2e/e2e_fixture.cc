#include "tests/e2e/e2e_fixture.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

extern char** environ;

namespace zelko::testing {

std::filesystem::path binDir() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

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
  // Output goes to a file, not a pipe: programs that the command starts (a launch
  // notification fired by reg set) inherit it, and a pipe would stay open until they end.
  std::string outFile = (dir() / "tool.out").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (out) {
    std::ifstream in(outFile, std::ios::binary);
    *out = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
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

int EndToEndTest::launchesRunning() {
  std::set<int> running;
  for (const auto& e : journalEvents("launch")) {
    size_t at = e.find("\"pid\":");
    if (at != std::string::npos && e.compare(at + 6, 4, "null") != 0) running.insert(std::atoi(e.c_str() + at + 6));
  }
  for (const auto& e : journalEvents("exit")) {
    size_t at = e.find("\"pid\":");
    if (at != std::string::npos) running.erase(std::atoi(e.c_str() + at + 6));
  }
  return static_cast<int>(running.size());
}

}  // namespace zelko::testing
