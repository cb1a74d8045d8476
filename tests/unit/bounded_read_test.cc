// Files the device reads for its programs: whatever is found at a path, a device file, a
// pipe nobody writes to or a file too large to hold, ends in a clear error and never in a
// hang or an exhausted memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::Status;

class BoundedReadTest : public testing::DeviceTest {};

TEST_F(BoundedReadTest, OnlyRegularFilesOfABoundedSizeAreRead) {
  auto& files = platform().files();
  std::filesystem::create_symlink("/dev/zero", hostFile("\\Temp\\zero.ini"));
  ASSERT_EQ(mkfifo(hostFile("\\Temp\\pipe.ini").c_str(), 0644), 0);
  {
    std::ofstream big(hostFile("\\Temp\\big.ini"));
  }
  ASSERT_EQ(truncate(hostFile("\\Temp\\big.ini").c_str(),
                     static_cast<off_t>(platform::sim::SimFiles::kMaxReadBytes) + 1), 0);
  for (const char* path : {"\\Temp\\zero.ini", "\\Temp\\pipe.ini", "\\Temp\\big.ini"}) {
    auto read = files.readText(path);
    EXPECT_EQ(read.status().code(), Status::Code::kInvalid) << path;
    EXPECT_NE(read.status().message().find(path), std::string::npos) << read.status().message();
  }
  EXPECT_EQ(files.readFile("\\Temp").status().code(), Status::Code::kNotFound);
  EXPECT_EQ(files.readFile("\\Temp\\none.ini").status().code(), Status::Code::kNotFound);
  std::ofstream(hostFile("\\Temp\\small.ini")) << "\xEF\xBB\xBFok";
  auto small = files.readText("\\temp\\SMALL.ini");
  ASSERT_TRUE(small.ok());
  EXPECT_EQ(*small, "ok");
}

}  // namespace
}  // namespace zelko
