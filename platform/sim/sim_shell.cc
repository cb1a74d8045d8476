#include "platform/sim/sim_shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/sim/device_log.h"
#include "platform/text.h"

extern char** environ;

namespace zelko::platform::sim {
namespace {

std::string unquote(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return std::string(s);
}

bool isProgram(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR);
}

// The exit status as the phone reports it; a killed program reports 128 + the signal.
int exitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Waits for a child; -1 for no limit. nullopt on time-out.
std::optional<int> waitChild(pid_t pid, int limitMs) {
  if (limitMs >= 0) {
    int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
      pollfd p{pidfd, POLLIN, 0};
      int n;
      do n = poll(&p, 1, limitMs); while (n < 0 && errno == EINTR);
      close(pidfd);
      if (n == 0) return std::nullopt;
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return exitCodeOf(status);
}

}  // namespace

ProgramIdentity takeProgramIdentity(int argc, char** argv, const SimFiles& files) {
  ProgramIdentity id;
  const char* line = std::getenv("ZELKO_COMMAND_LINE");
  const char* module = std::getenv("ZELKO_MODULE");
  if (line && module) {
    id.commandLine = line;
    id.modulePath = module;
  } else {
    for (int i = 1; i < argc; ++i) {
      if (i > 1) id.commandLine += ' ';
      std::string arg = argv[i];
      id.commandLine += arg.find_first_of(" \t") == std::string::npos ? arg : "\"" + arg + "\"";
    }
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n > 0) id.modulePath = files.devicePath(std::string(exe, n)).value_or("");
  }
  unsetenv("ZELKO_COMMAND_LINE");
  unsetenv("ZELKO_MODULE");
  return id;
}

Status SimShell::createSchema(Database& db) {
  return db.exec(
      "CREATE TABLE IF NOT EXISTS timed_starts(filefold TEXT PRIMARY KEY, file TEXT NOT NULL,"
      " time TEXT NOT NULL)");
}

std::optional<std::string> SimShell::resolve(std::string_view file) {
  std::string name = unquote(file);
  if (name.empty()) return std::nullopt;
  std::vector<std::string> candidates;
  if (name.front() == '\\' || name.front() == '/') {
    candidates.push_back(name);
  } else {
    // A bare name is looked up beside the caller, then in \Windows, as the phone does.
    size_t cut = self_.modulePath.rfind('\\');
    if (cut != std::string::npos) candidates.push_back(self_.modulePath.substr(0, cut + 1) + name);
    candidates.push_back("\\Windows\\" + name);
  }
  for (const auto& c : candidates) {
    if (files_.exists(c)) return c;
  }
  return std::nullopt;
}

Result<ExecResult> SimShell::execute(const ExecRequest& request) {
  std::string asked = unquote(request.file);
  std::optional<std::string> path = resolve(asked);
  if (!path) {
    journal_.record("launch", {JsonField::Text("program", asked), JsonField::Text("params", request.params),
                               JsonField::Bool("ok", false), JsonField::Null("pid")});
    return Status::NotFound(asked + ": no such program or file");
  }
  if (!isProgram(files_.hostPath(*path))) {
    journal_.record("open", {JsonField::Text("file", *path), JsonField::Text("params", request.params)});
    return ExecResult{};
  }
  return startProgram(asked, *path, request);
}

Result<ExecResult> SimShell::startProgram(const std::string& asked, const std::string& devicePath,
                                          const ExecRequest& request) {
  std::string launcher = (deviceDir_ / "bin" / "zelko-launch").string();
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return Status::IoError("pipe failed");
  std::string fdText = std::to_string(pipeFds[1]);
  std::string host = files_.hostPath(devicePath);
  std::vector<std::string> args = {launcher, request.wait ? "--wait" : "--detach", fdText, host,
                                   devicePath, asked, request.params};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  // The launcher and the program may outlive the caller: they read nothing from it and
  // write to the program's log, never to the caller's terminal or pipes (a caller that
  // reads those to their end would wait for the program to end).
  int log = openDeviceLog(deviceDir_, devicePath);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (log >= 0) {
    posix_spawn_file_actions_adddup2(&actions, log, 1);
    posix_spawn_file_actions_adddup2(&actions, log, 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  // The write end must survive exec in the launcher: dup it onto itself without CLOEXEC.
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], pipeFds[1]);
  std::string env = "ZELKO_DEVICE=" + deviceDir_.string();
  std::vector<char*> envp;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "ZELKO_DEVICE=", 13) != 0) envp.push_back(*e);
  }
  envp.push_back(env.data());
  envp.push_back(nullptr);
  pid_t launcherPid = 0;
  int rc = posix_spawn(&launcherPid, launcher.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (log >= 0) close(log);
  close(pipeFds[1]);
  if (rc != 0) {
    close(pipeFds[0]);
    journal_.record("launch", {JsonField::Text("program", asked), JsonField::Text("params", request.params),
                               JsonField::Bool("ok", false), JsonField::Null("pid")});
    return Status::IoError("cannot start the launcher " + launcher + ": " + std::strerror(rc));
  }
  // The launcher reports the program's pid (or 0 when it could not start) through the pipe.
  int pid = 0;
  ssize_t got;
  do got = read(pipeFds[0], &pid, sizeof pid); while (got < 0 && errno == EINTR);
  close(pipeFds[0]);
  if (got != sizeof pid) pid = 0;

  ExecResult result;
  result.pid = pid;
  if (!request.wait) {
    waitChild(launcherPid, -1);  // it detached from the program at once
  } else {
    result.exitCode = waitChild(launcherPid, static_cast<int>(request.waitLimit.count()));
    result.timedOut = !result.exitCode.has_value();
    if (result.timedOut) {
      // The program runs on; reap its launcher when it ends, so that a resident caller
      // that gives up waiting again and again does not collect zombies.
      std::thread([launcherPid] { waitChild(launcherPid, -1); }).detach();
    }
  }
  if (pid == 0) return Status::Failed(asked + ": the program could not be started");
  return result;
}

Result<std::string> SimShell::specialFolder(SpecialFolder folder) {
  switch (folder) {
    case SpecialFolder::kPersonal: return std::string("\\My Documents");
    case SpecialFolder::kMyMusic: return std::string("\\My Documents\\My Music");
    case SpecialFolder::kMyVideo: return std::string("\\My Documents\\My Video");
    case SpecialFolder::kWindows: return std::string("\\Windows");
    case SpecialFolder::kProgramFiles: return std::string("\\Program Files");
    case SpecialFolder::kMyPictures: return std::string("\\My Documents\\My Pictures");
  }
  return Status::NotFound("no such special folder");
}

Status SimShell::runAtTime(std::string_view file, std::optional<DateTime> when) {
  std::string name = unquote(file);
  if (name.empty()) return Status::Invalid("a timed start needs a file");
  return db_.write([&] {
    if (!when) {
      return db_.prepare("DELETE FROM timed_starts WHERE filefold = ?").bind(1, foldCase(name)).run();
    }
    return db_.prepare("INSERT OR REPLACE INTO timed_starts(filefold, file, time) VALUES(?, ?, ?)")
        .bind(1, foldCase(name))
        .bind(2, name)
        .bind(3, formatIsoDateTime(*when))
        .run();
  });
}

Result<std::vector<std::string>> SimShell::takeDueStarts(const DateTime& localNow) {
  std::vector<std::string> due;
  std::string now = formatIsoDateTime(localNow);
  Status s = db_.write([&] {
    Statement& q = db_.prepare("SELECT file FROM timed_starts WHERE time <= ? ORDER BY time");
    q.bind(1, now);
    while (q.step()) due.push_back(q.columnText(0));
    Status e = q.status();
    q.reset();
    if (!e.ok()) return e;
    return db_.prepare("DELETE FROM timed_starts WHERE time <= ?").bind(1, now).run();
  });
  if (!s.ok()) return s;
  return due;
}

}  // namespace zelko::platform::sim
