#include "platform/sim/ui_prompt.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace zelko::platform::sim {

bool stdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

std::optional<std::string> promptLine(const std::string& prompt,
                                      std::optional<std::chrono::milliseconds> timeout) {
  using Clock = std::chrono::steady_clock;
  std::fputs(prompt.c_str(), stderr);
  std::fflush(stderr);
  const auto deadline = timeout ? Clock::now() + *timeout : Clock::time_point::max();
  // A person types far less than this; input beyond it is not an answer.
  constexpr size_t kLongest = 4096;
  std::string line;
  for (;;) {
    int wait = -1;
    if (timeout) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return std::nullopt;
      wait = static_cast<int>(left.count());
    }
    pollfd in{STDIN_FILENO, POLLIN, 0};
    int ready = poll(&in, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      if (ready == 0) std::fputs("\n", stderr);
      return std::nullopt;
    }
    char c = 0;
    ssize_t got = read(STDIN_FILENO, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    if (c == '\n') break;
    if (line.size() < kLongest) line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace zelko::platform::sim
