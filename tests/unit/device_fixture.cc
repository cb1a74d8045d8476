#include "tests/unit/device_fixture.h"

#include <stdlib.h>

#include <fstream>

namespace zelko::testing {

void DeviceTest::SetUp() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "zelko-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  dir_ = tmpl;
  ASSERT_TRUE(platform::sim::Device::create(dir_ / "device", options()).ok());
  auto opened = platform::sim::Device::open(dir_ / "device");
  ASSERT_TRUE(opened.ok()) << opened.status().message();
  device_ = std::move(*opened);
}

void DeviceTest::TearDown() {
  device_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::filesystem::path DeviceTest::hostFile(const std::string& devicePath) {
  std::filesystem::path p = platform().files().hostPath(devicePath);
  std::filesystem::create_directories(p.parent_path());
  return p;
}

std::vector<std::string> DeviceTest::journalEvents(const std::string& event) {
  std::vector<std::string> out;
  for (const auto& e : device_->journal().read()) {
    if (e.event == event) out.push_back(e.json);
  }
  return out;
}

}  // namespace zelko::testing
