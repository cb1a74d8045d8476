// Starting and stopping the services of a device: one process a service, found by the
// lock it holds under run/.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "device/services.h"
#include "platform/sim/device_log.h"

extern char** environ;

namespace zelko::device {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

fs::path lockPath(const fs::path& dir, const char* name) {
  return dir / "run" / (std::string("service-") + name + ".lock");
}

const Service* findService(const std::string& name) {
  for (const Service* s = kServices; s->name; ++s) {
    if (name == s->name) return s;
  }
  return nullptr;
}

bool waitUntil(const std::function<bool()>& done, milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return true;
}

// A whole-file write lock: taken by a service for its lifetime, asked about by the others.
struct flock wholeFile() {
  struct flock l {};
  l.l_type = F_WRLCK;
  l.l_whence = SEEK_SET;
  return l;
}

fs::path ownExecutable() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec);
}

// Starts `zelko-device -d DIR service NAME` in a session of its own, reading nothing and
// writing to run/service.log. The pid, or 0.
pid_t spawnService(const fs::path& dir, const char* name) {
  std::string exe = ownExecutable().string();
  std::vector<std::string> args = {exe, "-d", fs::absolute(dir).string(), "service", name};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int log = platform::sim::openDeviceLog(dir, "service");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (log >= 0) {
    posix_spawn_file_actions_adddup2(&actions, log, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, exe.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (log >= 0) close(log);
  return rc == 0 ? pid : 0;
}

volatile std::sig_atomic_t stopRequested = 0;

}  // namespace

std::optional<int> runningService(const fs::path& dir, const char* name) {
  int fd = open(lockPath(dir, name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct flock l = wholeFile();
  int rc = fcntl(fd, F_GETLK, &l);
  close(fd);
  if (rc != 0 || l.l_type == F_UNLCK) return std::nullopt;
  return l.l_pid;
}

int startServices(Context& ctx) {
  ctx.device();  // fails clearly when there is no device
  std::string lockFile = (ctx.dir() / "run" / "up.lock").string();
  int lock = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock < 0 || flock(lock, LOCK_EX) != 0) {
    if (lock >= 0) close(lock);
    throw Failure("cannot lock " + lockFile + ": " + std::strerror(errno));
  }
  int started = 0;
  try {
    for (const Service* s = kServices; s->name; ++s) {
      if (runningService(ctx.dir(), s->name)) continue;
      pid_t pid = spawnService(ctx.dir(), s->name);
      int status = 0;
      bool up = pid && waitUntil([&] {
        bool running = runningService(ctx.dir(), s->name) && (!s->ready || s->ready(ctx));
        return running || waitpid(pid, &status, WNOHANG) == pid;
      }, milliseconds(5000)) && runningService(ctx.dir(), s->name) && (!s->ready || s->ready(ctx));
      if (!up) {
        throw Failure(std::string("the service ") + s->name + " did not start; see " +
                      platform::sim::deviceLogPath(ctx.dir(), "service").string());
      }
      ++started;
    }
  } catch (...) {
    close(lock);
    throw;
  }
  close(lock);
  return started;
}

int stopServices(const fs::path& dir) {
  int stopped = 0;
  for (const Service* s = kServices; s->name; ++s) {
    auto pid = runningService(dir, s->name);
    if (!pid) continue;
    kill(*pid, SIGTERM);
    auto gone = [&] { return !runningService(dir, s->name); };
    if (!waitUntil(gone, milliseconds(5000))) {
      kill(*pid, SIGKILL);
      waitUntil(gone, milliseconds(1000));
    }
    ++stopped;
  }
  return stopped;
}

int runService(Context& ctx, const std::string& name) {
  const Service* service = findService(name);
  if (!service) throw UsageError("unknown service " + name);
  std::string lockFile = lockPath(ctx.dir(), service->name).string();
  int lock = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock < 0) throw Failure("cannot open " + lockFile + ": " + std::strerror(errno));
  struct flock l = wholeFile();
  if (fcntl(lock, F_SETLK, &l) != 0) {
    close(lock);
    std::fprintf(stderr, "zelko-device service %s: it runs already\n", service->name);
    return 0;
  }
  platform::sim::keepDeviceLogTrimmed(platform::sim::deviceLogPath(ctx.dir(), "service"));
  signal(SIGTERM, [](int) { stopRequested = 1; });
  signal(SIGINT, [](int) { stopRequested = 1; });
  int code = service->run(ctx, stopRequested);
  close(lock);
  return code;
}

}  // namespace zelko::device
