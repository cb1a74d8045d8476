// Files written piece by piece: whole or not at all, never through a link of the host.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko::platform {
namespace {

namespace fs = std::filesystem;

class NewFileTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(files().createDirectory("\\Temp\\Skins").ok());
    outside_ = dir() / "outside";
    fs::create_directories(outside_);
  }
  Files& files() { return platform().files(); }
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
  auto file = files().createFile("\\Temp\\skins\\a.png");  // the folder's case does not matter
  ASSERT_TRUE(file.ok()) << file.status().message();
  ASSERT_TRUE((*file)->write("half").ok());
  EXPECT_EQ(entries(host("\\Temp\\Skins")), 0u) << "nothing shows before the commit";
  ASSERT_TRUE((*file)->write(" and half").ok());
  FileTimes times;
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

TEST_F(NewFileTest, AFileGivenUpLeavesNothing) {
  {
    auto file = files().createFile("\\Temp\\Skins\\b.png");
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE((*file)->write(std::string(100000, 'x')).ok());
  }
  EXPECT_EQ(entries(host("\\Temp\\Skins")), 0u);
  EXPECT_EQ(files().createFile("\\Temp\\Missing\\b.png").status().code(), Status::Code::kNotFound);
  EXPECT_EQ(files().createFile("\\").status().code(), Status::Code::kInvalid);
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
}  // namespace zelko::platform
