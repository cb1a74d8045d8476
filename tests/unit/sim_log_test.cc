// The program's log of silent failures on the emulated device.
#include "platform/sim/sim_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;

class SimLogTest : public testing::DeviceTest {
 protected:
  static std::string read(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

TEST_F(SimLogTest, OneStampedLineEachUnderRunNamedAfterTheProgram) {
  platform::sim::SimLog log(dir() / "device" / "run", "\\Program Files\\ZelkoToday\\ZelkoWinToday.EXE",
                            platform().clock());
  EXPECT_EQ(log.file(), dir() / "device" / "run" / "ZelkoWinToday.failures.log");
  log.write("cannot watch HKLM\\System\\State\\Battery Main:\ndatabase is locked");
  log.failure("cannot register the launch ZelkoWinToday", platform::Status::IoError("disk full"));

  std::string text = read(log.file());
  std::string stamp = platform::formatIsoDateTime(platform().clock().localNow()).substr(0, 16);
  EXPECT_EQ(text.rfind(stamp, 0), 0u) << text;
  EXPECT_NE(text.find("] cannot watch HKLM\\System\\State\\Battery Main: database is locked\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("] cannot register the launch ZelkoWinToday: disk full\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);

  // A program outside the device is named after its own file; the device's platform has
  // a log of its own too.
  platform().log().write("from the test");
  EXPECT_NE(read(dir() / "device" / "run" / "zelko_unit_tests.failures.log").find("from the test"),
            std::string::npos);
}

TEST_F(SimLogTest, StaysBoundedKeepingTheNewestLinesEachOneLine) {
  platform::sim::SimLog log(dir(), "\\Windows\\x.exe", platform().clock());
  const std::string line(300, 'x');
  for (int i = 0; i < 1000; ++i) log.write(line + std::to_string(i));
  EXPECT_LE(fs::file_size(log.file()), platform::sim::kMaxProgramLogBytes);
  EXPECT_LE(fs::file_size(fs::path(log.file()) += ".1"), platform::sim::kMaxProgramLogBytes);
  EXPECT_NE(read(log.file()).find(line + "999\n"), std::string::npos);
  EXPECT_EQ(read(fs::path(log.file()) += ".1").find(line + "0\n"), std::string::npos);
  log.write(std::string(100000, 'y'));
  std::string text = read(log.file());
  EXPECT_LT(text.size() - text.rfind('\n', text.size() - 2), 1100u);
}

}  // namespace
}  // namespace zelko
