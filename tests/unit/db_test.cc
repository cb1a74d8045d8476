// The SQLite layer of the device: stores damaged from outside, errors told apart from "no
// row", and writes made of parts.
#include "platform/sim/db.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zelko::platform::sim {
namespace {

namespace fs = std::filesystem;

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zelko-db-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::unique_ptr<Database> make(const std::string& name, const char* schema) {
    auto db = Database::open(dir_ / name, true);
    EXPECT_TRUE(db.ok()) << db.status().message();
    if (!db.ok()) return nullptr;
    EXPECT_TRUE((*db)->exec(schema).ok());
    return std::move(*db);
  }
  int64_t count(Database& db) {
    auto guard = db.lock();
    Statement& q = db.prepare("SELECT count(*) FROM t");
    int64_t n = q.step() ? q.columnInt(0) : -1;
    q.reset();
    return n;
  }
  fs::path dir_;
};

TEST_F(DatabaseTest, TextThatCannotBePreparedFailsWhenUsedAndNamesTheFile) {
  auto db = make("a.db", "CREATE TABLE t(x)");
  ASSERT_TRUE(db);
  Statement& q = db->prepare("SELECT x FROM missing WHERE x = ?");
  EXPECT_FALSE(q.bind(1, int64_t{1}).step());
  EXPECT_EQ(q.status().code(), Status::Code::kIoError);
  EXPECT_NE(q.status().message().find("a.db"), std::string::npos) << q.status().message();
  EXPECT_NE(q.status().message().find("no such table"), std::string::npos);
  EXPECT_FALSE(db->prepare("INSERT INTO missing VALUES(1)").run().ok());
  // Not kept as failed: once the table is there the same text works.
  ASSERT_TRUE(db->exec("CREATE TABLE missing(x)").ok());
  EXPECT_TRUE(db->prepare("INSERT INTO missing VALUES(1)").run().ok());
}

TEST_F(DatabaseTest, StoresAreOpenedOnlyWhenWholeAndNeverMade) {
  ASSERT_TRUE(make("good.db", "CREATE TABLE t(x); CREATE TABLE u(y)"));
  EXPECT_TRUE(Database::openStore(dir_ / "good.db", {"t", "u"}).ok());

  auto missing = Database::openStore(dir_ / "gone.db", {"t"});
  EXPECT_EQ(missing.status().code(), Status::Code::kNotFound);
  EXPECT_NE(missing.status().message().find("gone.db is missing"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "gone.db"));

  std::ofstream(dir_ / "empty.db").flush();
  std::ofstream(dir_ / "junk.db") << std::string(5000, 'z');
  auto partial = make("partial.db", "CREATE TABLE t(x)");
  partial.reset();
  for (const char* name : {"empty.db", "junk.db", "partial.db"}) {
    auto opened = Database::openStore(dir_ / name, {"t", "u"});
    ASSERT_FALSE(opened.ok()) << name;
    EXPECT_EQ(opened.status().code(), Status::Code::kIoError);
    EXPECT_NE(opened.status().message().find(std::string(name) + " is damaged or not a device store"),
              std::string::npos)
        << opened.status().message();
  }
}

TEST_F(DatabaseTest, APartThatFailsIsUndoneAloneAndWorkWaitsForTheCommit) {
  auto db = make("w.db", "CREATE TABLE t(x)");
  ASSERT_TRUE(db);
  auto other = Database::open(dir_ / "w.db", false);
  ASSERT_TRUE(other.ok());
  std::vector<std::string> ran;
  Status s = db->write([&] {
    EXPECT_TRUE(db->prepare("INSERT INTO t VALUES(1)").run().ok());
    db->afterCommit([&] { ran.push_back("outer, seeing " + std::to_string(count(**other))); });
    Status part = db->write([&] {
      EXPECT_TRUE(db->prepare("INSERT INTO t VALUES(2)").run().ok());
      db->afterCommit([&] { ran.push_back("failed part"); });
      return Status::Invalid("refused");
    });
    EXPECT_EQ(part.code(), Status::Code::kInvalid);
    EXPECT_TRUE(ran.empty()) << "nothing runs before the commit";
    return db->write([&] { return db->prepare("INSERT INTO t VALUES(3)").run(); });
  });
  ASSERT_TRUE(s.ok()) << s.message();
  EXPECT_EQ(ran, std::vector<std::string>{"outer, seeing 2"});
  EXPECT_EQ(count(*db), 2);

  ran.clear();
  s = db->write([&] {
    db->afterCommit([&] { ran.push_back("rolled back"); });
    EXPECT_TRUE(db->prepare("INSERT INTO t VALUES(4)").run().ok());
    return Status::IoError("later failure");
  });
  EXPECT_FALSE(s.ok());
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(count(*db), 2);
}

}  // namespace
}  // namespace zelko::platform::sim
