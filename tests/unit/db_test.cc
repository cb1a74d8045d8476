// The SQLite layer of the device: stores damaged from outside, errors told apart from "no
// row", writes made of parts, and logs that outlive the programs that wrote them.
#include "platform/sim/db.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

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
  make("partial.db", "CREATE TABLE t(x)").reset();
  // Overwritten beside the log it left.
  make("o.db", "CREATE TABLE t(x); CREATE TABLE u(y); INSERT INTO t VALUES(1)").reset();
  ASSERT_TRUE(fs::exists(dir_ / "o.db-wal"));
  std::ofstream(dir_ / "o.db", std::ios::trunc) << std::string(5000, 'z');
  for (const char* name : {"empty.db", "junk.db", "partial.db", "o.db"}) {
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

// Another program that adds `x` to w.db and then ends, closing the store or killed at once.
// Its wait status.
int otherProgramAdds(const fs::path& path, int64_t x, bool killed) {
  pid_t pid = fork();
  if (pid == 0) {
    int code = 1;
    {
      auto db = Database::open(path, false);
      if (db.ok() && (*db)->write([&] { return (*db)->prepare("INSERT INTO t VALUES(?)").bind(1, x).run(); }).ok()) {
        code = 0;
      }
      if (killed && code == 0) raise(SIGKILL);
    }
    _exit(code);
  }
  int status = -1;
  waitpid(pid, &status, 0);
  return status;
}

// Closing leaves the writes in the log (no checkpoint, no sync at a program's end), and a
// program killed after its commit loses nothing.
TEST_F(DatabaseTest, WritesOutliveTheirProgramsWhileTheLogStays) {
  make("w.db", "CREATE TABLE t(x)").reset();
  fs::path path = dir_ / "w.db";
  int closed = otherProgramAdds(path, 1, false);
  EXPECT_TRUE(WIFEXITED(closed) && WEXITSTATUS(closed) == 0);
  int killed = otherProgramAdds(path, 2, true);
  EXPECT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGKILL);
  // Nobody holds the store open now; its log and index were kept for the next program.
  EXPECT_TRUE(fs::exists(dir_ / "w.db-wal"));
  EXPECT_TRUE(fs::exists(dir_ / "w.db-shm"));
  {
    auto db = Database::open(path, false);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(count(**db), 2);
    ASSERT_TRUE((*db)->checkpoint().ok());
  }
  // The checkpoint moved both into the file itself.
  for (const char* suffix : {"-wal", "-shm"}) fs::remove(path.string() + suffix);
  auto reopened = Database::open(path, false);
  ASSERT_TRUE(reopened.ok());
  EXPECT_EQ(count(**reopened), 2);
}

TEST_F(DatabaseTest, ALogGrownByALargeWriteIsNotKeptWhole) {
  auto db = make("big.db", "CREATE TABLE t(x)");
  ASSERT_TRUE(db);
  ASSERT_TRUE(db->write([&] {
    for (int i = 0; i < 40; ++i) {
      Status s = db->prepare("INSERT INTO t VALUES(?)").bindBlob(1, std::string(100000, 'b')).run();
      if (!s.ok()) return s;
    }
    return Status::Ok();
  }).ok());
  ASSERT_GT(fs::file_size(dir_ / "big.db-wal"), uintmax_t{4000000});
  db.reset();
  EXPECT_LE(fs::file_size(dir_ / "big.db-wal"), uintmax_t{1} << 20);
  auto reopened = Database::open(dir_ / "big.db", false);
  ASSERT_TRUE(reopened.ok());
  EXPECT_EQ(count(**reopened), 40);
}

}  // namespace
}  // namespace zelko::platform::sim
