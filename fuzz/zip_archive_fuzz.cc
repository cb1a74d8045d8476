// Whole archives, as downloaded: the input is written as an archive and unpacked into a
// folder of a small file system of its own. Whatever the bytes, nothing may land outside
// the destination, no link may appear, and no half-written or temporary file may stay.
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ZelkoTools/unzip.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/sim/sim_files.h"

namespace {

namespace fs = std::filesystem;
using zelko::platform::DateTime;

void require(bool condition) {
  if (!condition) std::abort();
}

// Local time is UTC here: the times do not matter, the paths do.
class FixedClock final : public zelko::platform::Clock {
 public:
  DateTime utcNow() override { return {}; }
  DateTime localNow() override { return {}; }
  DateTime toLocal(const DateTime& t) override { return t; }
  DateTime toUtc(const DateTime& t) override { return t; }
  int biasMinutes(const DateTime&) override { return 0; }
  std::chrono::steady_clock::time_point steadyNow() override { return {}; }
  void sleep(std::chrono::milliseconds) override {}
};

class NoLog final : public zelko::platform::Log {
 public:
  void write(std::string_view) override {}
};

const fs::path& root() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("zip-archive-fuzz-" + std::to_string(getpid()));
    fs::create_directories(d / "fs");
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path fsRoot = root() / "fs";
  std::ofstream(fsRoot / "skin.zip", std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  zelko::platform::sim::SimFiles files(fsRoot);
  FixedClock clock;
  NoLog log;
  zelko::tools::UnpackCounts counts = zelko::tools::unpackArchive(files, clock, log, "\\skin.zip", "\\dest");
  require(counts.files >= 0 && counts.folders >= 0 && counts.skipped >= 0);

  int found = 0;
  for (auto it = fs::recursive_directory_iterator(fsRoot); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path rel = it->path().lexically_relative(fsRoot);
    if (rel == "skin.zip") continue;
    require(*rel.begin() == "dest");
    require(!it->is_symlink());
    require(it->path().filename().string().rfind(".zelko-tmp-", 0) != 0);
    found += it->is_regular_file();
  }
  require(found <= counts.files);
  fs::remove_all(fsRoot / "dest");
  return 0;
}
