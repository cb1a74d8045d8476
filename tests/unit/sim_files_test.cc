// The phone's file system inside the device folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using platform::Status;

class SimFilesTest : public testing::DeviceTest {
 protected:
  platform::Files& files() { return platform().files(); }
  fs::path fsRoot() { return dir() / "device" / "fs"; }
  void writeHost(const std::string& devicePath, const std::string& bytes) {
    std::ofstream(hostFile(devicePath), std::ios::binary) << bytes;
  }
  std::vector<std::string> names(const std::string& folder) {
    std::vector<std::string> out;
    auto list = files().listDirectory(folder);
    EXPECT_TRUE(list.ok()) << folder;
    if (list.ok()) for (const auto& e : *list) out.push_back(e.name);
    return out;
  }
};

TEST_F(SimFilesTest, PathsMatchExistingNamesWithoutRegardToCase) {
  ASSERT_TRUE(files().createDirectory("\\Program Files\\ZelkoToday\\Skins\\Été").ok());
  ASSERT_TRUE(files().writeFile("\\program files\\zelkotoday\\SKINS\\ÉTÉ\\Skin.INI", "a").ok());
  EXPECT_EQ(names("\\Program Files\\ZelkoToday\\Skins\\Été"), std::vector<std::string>{"Skin.INI"});
  auto read = files().readFile("/PROGRAM FILES/ZelkoToday/skins/été/skin.ini");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(*read, "a");
  EXPECT_TRUE(files().isDirectory("\\PROGRAM FILES"));
  EXPECT_FALSE(files().isDirectory("\\Program Files\\ZelkoToday\\Skins\\Été\\skin.ini"));

  // A rewrite through another spelling replaces the file; it does not add a second one.
  ASSERT_TRUE(files().writeFile("\\Program Files\\ZelkoToday\\Skins\\Été\\SKIN.ini", "b").ok());
  EXPECT_EQ(names("\\Program Files\\ZelkoToday\\Skins\\été"), std::vector<std::string>{"Skin.INI"});
  EXPECT_EQ(*files().readFile("\\Program Files\\ZelkoToday\\Skins\\Été\\Skin.INI"), "b");

  // The missing rest of a path keeps the case it was given in.
  EXPECT_EQ(files().hostPath("\\program files\\New Dir\\X.txt"),
            (fsRoot() / "Program Files" / "New Dir" / "X.txt").string());
  ASSERT_TRUE(files().removeFile("\\PROGRAM FILES\\ZELKOTODAY\\SKINS\\ÉTÉ\\SKIN.INI").ok());
  EXPECT_FALSE(files().exists("\\Program Files\\ZelkoToday\\Skins\\Été\\Skin.INI"));
  EXPECT_EQ(files().removeFile("\\Program Files\\ZelkoToday\\Skins\\Été\\Skin.INI").code(),
            Status::Code::kNotFound);
}

TEST_F(SimFilesTest, DotDotNeverLeavesTheFileSystem) {
  const std::string root = fsRoot().string();
  for (const char* path : {"\\..\\registry.db", "..\\..\\..\\registry.db", "a\\..\\..\\registry.db",
                           "/../../registry.db", "\\Windows\\..\\..\\registry.db"}) {
    EXPECT_EQ(files().hostPath(path), root + "/registry.db") << path;
    EXPECT_FALSE(files().exists(path)) << path;
    EXPECT_EQ(files().readFile(path).status().code(), Status::Code::kNotFound) << path;
  }
  ASSERT_TRUE(files().writeFile("\\..\\..\\escape.txt", "x").ok());
  EXPECT_TRUE(fs::exists(fsRoot() / "escape.txt"));
  EXPECT_FALSE(fs::exists(dir() / "escape.txt"));
  EXPECT_FALSE(fs::exists(dir() / "device" / "escape.txt"));

  // A path ends at a NUL, as the phone's own calls read it; what follows is not a way out.
  using namespace std::string_literals;
  for (const std::string& path : {"..\0"s, "\\Windows\\..\\..\0\\x"s, "x\0\\..\\.."s}) {
    EXPECT_EQ(files().hostPath(path), files().hostPath(path.substr(0, path.find('\0'))));
    auto listed = files().listDirectory(path);
    if (listed.ok()) {
      for (const auto& e : *listed) EXPECT_NE(e.name, "registry.db");
    }
  }
}

TEST_F(SimFilesTest, ReadTextDecodesByteOrderMarks) {
  writeHost("\\Temp\\plain.txt", "Zoë");
  writeHost("\\Temp\\bom8.txt", "\xEF\xBB\xBFZoë");
  // "Zoë 😀" in UTF-16LE with its BOM: a surrogate pair for the emoji.
  writeHost("\\Temp\\bom16.txt", std::string("\xFF\xFEZ\0o\0\xEB\0 \0\x3D\xD8\x00\xDE", 14));
  // A lone high surrogate cannot be text: it reads as U+FFFD.
  writeHost("\\Temp\\broken16.txt", std::string("\xFF\xFE\x3D\xD8x\0", 6));
  writeHost("\\Temp\\onlybom.txt", "\xFF\xFE");
  EXPECT_EQ(*files().readText("\\Temp\\plain.txt"), "Zoë");
  EXPECT_EQ(*files().readText("\\Temp\\bom8.txt"), "Zoë");
  EXPECT_EQ(*files().readText("\\Temp\\bom16.txt"), "Zoë \xF0\x9F\x98\x80");
  EXPECT_EQ(*files().readText("\\Temp\\broken16.txt"), "\xEF\xBF\xBDx");
  EXPECT_EQ(*files().readText("\\Temp\\onlybom.txt"), "");
  // readFile hands the bytes over untouched.
  EXPECT_EQ(files().readFile("\\Temp\\bom8.txt")->size(), 3u + 4u);
  EXPECT_EQ(files().readText("\\Temp\\missing.txt").status().code(), Status::Code::kNotFound);
  EXPECT_EQ(files().readText("\\Temp").status().code(), Status::Code::kNotFound);
}

TEST_F(SimFilesTest, WritersOfOneFileEachLeaveAWholeFileAndNoTemporary) {
  constexpr int kWriters = 8;
  std::vector<std::string> contents;
  for (int i = 0; i < kWriters; ++i) contents.push_back(std::string(256 * 1024, static_cast<char>('a' + i)));
  std::vector<Status> results(kWriters);
  std::vector<std::thread> threads;
  for (int i = 0; i < kWriters; ++i) {
    threads.emplace_back([&, i] { results[i] = files().writeFile("\\Temp\\shared.bin", contents[i]); });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < kWriters; ++i) EXPECT_TRUE(results[i].ok()) << i << ": " << results[i].message();
  auto final = files().readFile("\\Temp\\shared.bin");
  ASSERT_TRUE(final.ok());
  EXPECT_NE(std::find(contents.begin(), contents.end(), *final), contents.end())
      << "a mix of writers, " << final->size() << " bytes";
  ASSERT_TRUE(files().writeFile("\\Temp\\shared.bin", "short").ok());
  EXPECT_EQ(*files().readFile("\\Temp\\shared.bin"), "short");
  ASSERT_TRUE(files().writeFile("\\Temp\\empty.ini", "").ok());
  EXPECT_EQ(*files().readFile("\\Temp\\empty.ini"), "");
  EXPECT_EQ(names("\\Temp"), (std::vector<std::string>{"empty.ini", "shared.bin"}));
  EXPECT_EQ(files().writeFile("\\No Such Folder\\x.ini", "x").code(), Status::Code::kNotFound);
  EXPECT_FALSE(fs::exists(fsRoot() / "No Such Folder"));
}

TEST_F(SimFilesTest, ListDirectoryIsSortedWithoutCaseAndTimesAreFileTimes) {
  ASSERT_TRUE(files().createDirectory("\\Temp\\List\\sub\\deeper").ok());
  for (const char* name : {"b.txt", "A.txt", "C.txt"}) writeHost(std::string("\\Temp\\List\\") + name, name);
  EXPECT_EQ(names("\\temp\\LIST"), (std::vector<std::string>{"A.txt", "b.txt", "C.txt", "sub"}));
  auto list = files().listDirectory("\\Temp\\List");
  EXPECT_EQ((*list)[1].size, 5u);
  EXPECT_FALSE((*list)[1].isDirectory);
  EXPECT_TRUE((*list)[3].isDirectory);
  EXPECT_EQ(files().listDirectory("\\Temp\\Nothing").status().code(), Status::Code::kNotFound);
  EXPECT_EQ(files().listDirectory("\\Temp\\List\\b.txt").status().code(), Status::Code::kNotFound);

  auto t = files().lastWriteTime("\\TEMP\\LIST\\B.TXT");
  ASSERT_TRUE(t.ok());
  EXPECT_GE(platform::fromFileTime(*t)->year, 2024);  // a file time from 1601, not a Unix time
  EXPECT_EQ(files().lastWriteTime("\\Temp\\none").status().code(), Status::Code::kNotFound);
}

// Whatever is found at a path, a device file, a pipe nobody writes to or a file too large
// to hold, ends in a clear error naming it, never in a hang or an exhausted memory.
TEST_F(SimFilesTest, OnlyRegularFilesOfABoundedSizeAreRead) {
  fs::create_symlink("/dev/zero", hostFile("\\Temp\\zero.ini"));
  ASSERT_EQ(mkfifo(hostFile("\\Temp\\pipe.ini").c_str(), 0644), 0);
  std::ofstream(hostFile("\\Temp\\big.ini")).flush();
  ASSERT_EQ(truncate(hostFile("\\Temp\\big.ini").c_str(),
                     static_cast<off_t>(platform::sim::SimFiles::kMaxReadBytes) + 1), 0);
  for (const char* path : {"\\Temp\\zero.ini", "\\Temp\\pipe.ini", "\\Temp\\big.ini"}) {
    auto read = files().readText(path);
    EXPECT_EQ(read.status().code(), Status::Code::kInvalid) << path;
    EXPECT_NE(read.status().message().find(path), std::string::npos) << read.status().message();
    EXPECT_EQ(files().readFile(path).status().code(), Status::Code::kInvalid) << path;
  }
  EXPECT_EQ(files().readFile("\\Temp").status().code(), Status::Code::kNotFound);
}

// Files written piece by piece: whole or not at all, never through a link of the host.
class NewFileTest : public SimFilesTest {
 protected:
  void SetUp() override {
    SimFilesTest::SetUp();
    ASSERT_TRUE(files().createDirectory("\\Temp\\Skins").ok());
    outside_ = dir() / "outside";
    fs::create_directories(outside_);
  }
  fs::path host(const std::string& devicePath) { return files().hostPath(devicePath); }
  std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Entries of a host folder, hidden ones included.
  size_t entries(const fs::path& p) { return static_cast<size_t>(std::distance(fs::directory_iterator(p), {})); }
  fs::path outside_;
};

TEST_F(NewFileTest, TheFileAppearsWholeAtCommitWithItsAttributesAndTimes) {
  {
    auto given = files().createFile("\\Temp\\Skins\\b.png");  // given up: leaves nothing
    ASSERT_TRUE(given.ok());
    ASSERT_TRUE((*given)->write(std::string(100000, 'x')).ok());
  }
  EXPECT_EQ(files().createFile("\\Temp\\Missing\\b.png").status().code(), Status::Code::kNotFound);
  EXPECT_EQ(files().createFile("\\").status().code(), Status::Code::kInvalid);
  auto file = files().createFile("\\Temp\\skins\\a.png");  // the folder's case does not matter
  ASSERT_TRUE(file.ok()) << file.status().message();
  ASSERT_TRUE((*file)->write("half").ok());
  EXPECT_EQ(entries(host("\\Temp\\Skins")), 0u) << "nothing shows before the commit";
  ASSERT_TRUE((*file)->write(" and half").ok());
  platform::FileTimes times;
  times.lastWrite = 116444736000000000ULL + 1700000000ULL * 10000000ULL;
  times.lastAccess = 116444736000000000ULL - 10000000ULL * 86400 + 5;  // before 1970
  ASSERT_TRUE((*file)->commit({.readOnly = true}, times).ok());
  struct stat st;
  ASSERT_EQ(stat(host("\\Temp\\Skins\\a.png").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1700000000);
  EXPECT_EQ(st.st_atim.tv_sec, -86400);
  EXPECT_EQ(st.st_atim.tv_nsec, 500);
  EXPECT_EQ(read(host("\\Temp\\Skins\\a.png")), "half and half");  // reading moves the access time
  EXPECT_EQ(files().lastWriteTime("\\Temp\\Skins\\A.PNG").value(), *times.lastWrite);
  EXPECT_FALSE((*file)->write("more").ok());

  // A second file of the same name (in another case) replaces the first, read-only or not.
  auto again = files().createFile("\\Temp\\Skins\\A.png");
  ASSERT_TRUE(again.ok());
  ASSERT_TRUE((*again)->write("new").ok());
  ASSERT_TRUE((*again)->commit({}, {}).ok());
  EXPECT_EQ(read(host("\\Temp\\Skins\\a.png")), "new");
  EXPECT_EQ(entries(host("\\Temp\\Skins")), 1u);
}

TEST_F(NewFileTest, NoWriteGoesThroughALinkOfTheHost) {
  fs::create_directory_symlink(outside_, host("\\Temp\\Skins") / "link");
  EXPECT_EQ(files().createFile("\\Temp\\Skins\\link\\x.png").status().code(), Status::Code::kInvalid);
  EXPECT_EQ(files().createDirectory("\\Temp\\Skins\\link\\sub").code(), Status::Code::kInvalid);
  EXPECT_EQ(files().createDirectory("\\Temp\\Skins\\LINK").code(), Status::Code::kInvalid);
  EXPECT_EQ(entries(outside_), 0u);

  // A link where the file goes is replaced, not written through.
  std::ofstream(outside_ / "target") << "keep";
  fs::create_symlink(outside_ / "target", host("\\Temp\\Skins") / "c.png");
  auto file = files().createFile("\\Temp\\Skins\\c.png");
  ASSERT_TRUE(file.ok());
  ASSERT_TRUE((*file)->write("mine").ok());
  ASSERT_TRUE((*file)->commit({}, {}).ok());
  EXPECT_EQ(read(outside_ / "target"), "keep");
  EXPECT_FALSE(fs::is_symlink(host("\\Temp\\Skins") / "c.png"));
  EXPECT_EQ(read(host("\\Temp\\Skins\\c.png")), "mine");

  // A file in the way of a folder.
  std::ofstream(host("\\Temp\\Skins") / "plain") << "x";
  EXPECT_EQ(files().createDirectory("\\Temp\\Skins\\plain\\sub").code(), Status::Code::kInvalid);
}

}  // namespace
}  // namespace zelko
