// A fresh emulated device in a temporary folder for each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/sim/device.h"
#include "platform/sim/journal.h"

namespace zelko::testing {

// The registry root the tests write to.
inline constexpr platform::Root kHklm = platform::Root::kLocalMachine;

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  platform::Platform& platform() { return device_->platform(); }
  platform::sim::Device& device() { return *device_; }
  const std::filesystem::path& dir() const { return dir_; }
  // The host path of a device path, for writing fixture files.
  std::filesystem::path hostFile(const std::string& devicePath);
  // Journal events of one kind since the test began, as JSON lines.
  std::vector<std::string> journalEvents(const std::string& event);

  virtual platform::sim::DeviceOptions options() { return {}; }
  // Options of a device whose clock runs in `timezone`.
  static platform::sim::DeviceOptions inZone(const char* timezone) {
    platform::sim::DeviceOptions o;
    o.timezone = timezone;
    return o;
  }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<platform::sim::Device> device_;
};

}  // namespace zelko::testing
