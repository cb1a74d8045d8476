// Background programs of tests (a server, a browser driver): started with their output in
// a file, and the port they say they listen on read from it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zelko::testing {

std::string readWhole(const std::filesystem::path& file);

// Starts `args` (the program first) with no input and stdout and stderr in `output`; its
// process id, or 0 when it cannot start.
pid_t spawnLogged(const std::vector<std::string>& args, const std::filesystem::path& output);

// Waits until the program's output holds `marker` followed by a port number and returns
// the port; 0 when the program ended (it is then reaped and `pid` becomes 0) or said
// nothing within 10 s.
int awaitPort(pid_t& pid, const std::filesystem::path& output, const std::string& marker);

// Waits up to `limit` for the process to end; its exit code (-1 for a signal), or nullopt.
std::optional<int> waitExit(pid_t pid, std::chrono::milliseconds limit);

// Asks it to end (SIGTERM), kills it after `limit`; its exit code, -1 when it had to be killed.
int stopProcess(pid_t pid, std::chrono::milliseconds limit);

}  // namespace zelko::testing
