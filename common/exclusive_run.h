// Turns between runs of a provider that rewrite its records. The engine starts a provider
// at every store change and every new day, so two runs can overlap; each deletes the
// records and writes them anew, and interleaved they would leave a mix of both (a total
// from one, records from the other). Holding the run's turn, the later run waits.
#pragma once

#include <chrono>
#include <memory>
#include <string_view>

namespace zelko::platform {
class NamedMutex;
class Platform;
}  // namespace zelko::platform

namespace zelko {

class ExclusiveRun {
 public:
  // Waits until no other process holds the turn `name`, at most `limit`; after that the
  // run goes ahead anyway (and says so in the log), since a page left stale is worse than
  // a rare mix that the next run mends.
  ExclusiveRun(platform::Platform& platform, std::string_view name,
               std::chrono::milliseconds limit = std::chrono::seconds(30));
  ~ExclusiveRun();
  ExclusiveRun(const ExclusiveRun&) = delete;
  ExclusiveRun& operator=(const ExclusiveRun&) = delete;

  // True when this run holds the turn.
  bool held() const { return mutex_ != nullptr; }

 private:
  std::unique_ptr<platform::NamedMutex> mutex_;
};

}  // namespace zelko
