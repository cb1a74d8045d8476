// A device's stores under faults from outside: damaged, emptied or missing files, a
// registry that fails under a program, changes made at once by several programs, and a
// journal that would grow for months.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/device.h"
#include "platform/sim/device_clock.h"
#include "platform/sim/journal.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using platform::RegValue;
using platform::Root;
using platform::Status;
using platform::sim::Device;

// Runs SQL on a store the way another program (or a person with a shell) would.
void runSql(const fs::path& db, const std::string& sql) {
  sqlite3* h = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
  char* err = nullptr;
  EXPECT_EQ(sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
  sqlite3_free(err);
  sqlite3_close(h);
}

class DeviceStoresTest : public testing::DeviceTest {
 protected:
  fs::path store(const char* name) { return dir() / "device" / name; }
  void empty(const char* name) {
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(store(name).string() + suffix);
    std::ofstream(store(name)).flush();
  }
};

// The contact and message stores are named when emptied or missing, and never made anew.
TEST_F(DeviceStoresTest, AMissingOrEmptiedStoreIsNamedAndNeverMadeAnew) {
  empty("pim.db");
  empty("messages.db");
  Status s = platform().items().logOn();
  EXPECT_EQ(s.code(), Status::Code::kIoError);
  EXPECT_NE(s.message().find("pim.db is damaged"), std::string::npos) << s.message();
  auto listed = platform().messaging().inbox(platform::kSmsStore);
  EXPECT_EQ(listed.status().code(), Status::Code::kIoError);
  EXPECT_NE(listed.status().message().find("messages.db is damaged"), std::string::npos)
      << listed.status().message();

  for (const char* name : {"pim.db", "messages.db"}) fs::remove(store(name));
  auto again = Device::open(dir() / "device");
  ASSERT_TRUE(again.ok());
  s = (*again)->platform().items().logOn();
  EXPECT_EQ(s.code(), Status::Code::kNotFound);
  EXPECT_NE(s.message().find("pim.db is missing"), std::string::npos) << s.message();
  listed = (*again)->platform().messaging().inbox(platform::kSmsStore);
  ASSERT_FALSE(listed.ok());
  EXPECT_NE(listed.status().message().find(store("messages.db").string()), std::string::npos);
  for (const char* name : {"pim.db", "messages.db"}) EXPECT_FALSE(fs::exists(store(name))) << name;
}

TEST_F(DeviceStoresTest, AFailingRegistryIsAnErrorNotAMissingValue) {
  auto& reg = platform().registry();
  ASSERT_TRUE(reg.setValue(Root::kLocalMachine, "Software\\A", "x", RegValue::Dword(1)).ok());
  // The watchers cannot be looked up: the change is not made, nobody would hear of it.
  runSql(store("registry.db"), "DROP TABLE watches");
  Status s = reg.setValue(Root::kLocalMachine, "Software\\A", "x", RegValue::Dword(2));
  EXPECT_EQ(s.code(), Status::Code::kIoError) << s.message();
  auto kept = reg.getValue(Root::kLocalMachine, "Software\\A", "x");
  ASSERT_TRUE(kept.ok());
  EXPECT_EQ(kept->dword, 1u);
  // Writing what is there already needs no lookup.
  EXPECT_TRUE(reg.setValue(Root::kLocalMachine, "Software\\A", "x", RegValue::Dword(1)).ok());

  runSql(store("registry.db"), "DROP TABLE vals");
  auto lost = reg.getValue(Root::kLocalMachine, "Software\\A", "x");
  EXPECT_EQ(lost.status().code(), Status::Code::kIoError);
  EXPECT_NE(lost.status().message().find("registry.db"), std::string::npos);
}

TEST_F(DeviceStoresTest, ClockChangesMadeAtOnceAllCount) {
  auto& clock = device().deviceClock();
  int64_t before = clock.utcMs();
  constexpr int kPrograms = 3, kEach = 15;
  std::vector<std::thread> programs;
  for (int i = 0; i < kPrograms; ++i) {
    programs.emplace_back([&] {
      // Each with a connection of its own, as separate zelko-device commands have.
      auto own = Device::open(dir() / "device");
      ASSERT_TRUE(own.ok());
      for (int n = 0; n < kEach; ++n) {
        ASSERT_TRUE((*own)->deviceClock().advanceMinutes(1).ok());
        if (n % 5 == 0) {
          ASSERT_TRUE((*own)->deviceClock().freeze().ok());
        }
      }
    });
  }
  for (auto& t : programs) t.join();
  EXPECT_EQ(clock.utcMs() - before, int64_t{kPrograms} * kEach * 60000);
  EXPECT_EQ(clock.advanceMinutes(INT64_MAX / 2).code(), Status::Code::kInvalid);
  EXPECT_EQ(clock.utcMs() - before, int64_t{kPrograms} * kEach * 60000);
}

class SmallJournalTest : public testing::DeviceTest {
 protected:
  platform::sim::DeviceOptions options() override {
    platform::sim::DeviceOptions o;
    o.journalLimit = 5;
    return o;
  }
};

TEST_F(SmallJournalTest, KeepsTheNewestEventsAndTheirNumbers) {
  auto& journal = device().journal();
  int64_t last = 0;
  for (int i = 0; i < 12; ++i) last = journal.record("test", {platform::sim::JsonField::Number("n", i)});
  auto all = journal.read(0);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all.front().seq, last - 4);
  EXPECT_NE(all.front().json.find("\"n\":7"), std::string::npos);
  auto since = journal.read(last - 2);
  ASSERT_EQ(since.size(), 2u);
  EXPECT_EQ(since.back().seq, last);
}

}  // namespace
}  // namespace zelko
