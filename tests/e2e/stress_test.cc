// Many programs writing the registry at once: nothing lost, no error, a consistent store,
// also when a writer is killed in the middle of its writes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <set>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using platform::Root;

constexpr int kWriters = 4;
constexpr int kWrites = 5000;
constexpr char kKey[] = "Software\\Stress";

class RegistryStress : public EndToEndTest {
 protected:
  // Starts the writers and a reader; the pids of the writers.
  std::vector<int> startAll() {
    reader_ = startProbe(std::string("read ") + kKey + " 3");
    std::vector<int> writers;
    for (int w = 0; w < kWriters; ++w) {
      writers.push_back(startProbe(std::string("write ") + kKey + " " + std::to_string(w) + " " +
                                   std::to_string(kWrites)));
      EXPECT_NE(writers.back(), 0);
    }
    return writers;
  }

  void waitForExit(int pid) {
    ASSERT_TRUE(waitFor([&] { return exitCodeOf(pid).has_value(); }, std::chrono::seconds(120)));
  }

  std::string integrity() {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2((dir() / "device" / "registry.db").c_str(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
      if (sqlite3_step(st) == SQLITE_ROW) result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
  }

  // The indexes of writer w's values that are in the registry.
  std::set<int> written(int w) {
    std::set<int> found;
    std::string prefix = "w" + std::to_string(w) + "-";
    for (const auto& v : platform().registry().values(Root::kLocalMachine, kKey)) {
      if (v.name.rfind(prefix, 0) == 0 && v.value.text == v.name) {
        found.insert(std::stoi(v.name.substr(prefix.size())));
      }
    }
    return found;
  }

  int reader_ = 0;
};

// One writer is killed in the middle of its writes; the others and the reader go on.
TEST_F(RegistryStress, WritersAndAReaderLoseNothingAndAKilledWriterLeavesAConsistentStore) {
  int notified = 0;
  // A watcher that does not look at its queue until the end: writers must not wait for it.
  ASSERT_TRUE(platform().notifications().registerCallback({Root::kLocalMachine, kKey, "Shared"},
                                                          [&] { ++notified; }).ok());
  std::vector<int> writers = startAll();
  ASSERT_TRUE(waitFor([&] { return written(0).size() > 200; }, std::chrono::seconds(30)));
  kill(writers[0], SIGKILL);
  for (int pid : writers) waitForExit(pid);
  EXPECT_EQ(exitCodeOf(writers[0]), 128 + SIGKILL);
  for (int w = 1; w < kWriters; ++w) {
    EXPECT_EQ(exitCodeOf(writers[w]), 0);
    EXPECT_EQ(written(w).size(), static_cast<size_t>(kWrites));
  }
  // The killed writer's writes are all there up to where it died, with no gap.
  std::set<int> done = written(0);
  ASSERT_FALSE(done.empty());
  EXPECT_EQ(*done.rbegin() + 1, static_cast<int>(done.size()));
  EXPECT_LT(done.size(), static_cast<size_t>(kWrites));
  waitForExit(reader_);
  EXPECT_EQ(exitCodeOf(reader_), 0) << "the reader met an error";
  EXPECT_EQ(integrity(), "ok");
  platform().windows().pumpMessages(std::chrono::milliseconds(0));
  EXPECT_GT(notified, 0);
  EXPECT_LE(notified, kWriters * kWrites);
}

}  // namespace
}  // namespace zelko::testing
