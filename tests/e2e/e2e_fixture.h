// A device with the probe program installed, and ways to drive it as a user would: through
// zelko-device and through the device's shell.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/device_fixture.h"

namespace zelko::testing {

// The folder of the built programs (the test binary's own).
std::filesystem::path binDir();

inline constexpr char kProbe[] = "\\Program Files\\ZelkoToday\\Probe.exe";
// Where `zelko-device install` puts the suite, the home screen's key and the plugin's.
inline constexpr char kInstallFolder[] = "\\Program Files\\ZelkoToday\\";
inline constexpr char kHomeKey[] = "Software\\Microsoft\\CHome";
inline constexpr char kPluginKey[] = "Software\\Microsoft\\CHome\\ZelkoToday";

class EndToEndTest : public DeviceTest {
 protected:
  void SetUp() override;

  // Runs zelko-device on this device; returns its exit code, its output in `out`.
  int tool(const std::vector<std::string>& args, std::string* out = nullptr);
  // Starts the probe through the device's shell; the pid, or 0.
  int startProbe(const std::string& params);
  // Starts the probe and waits for its exit code.
  int runProbe(const std::string& params);
  // What the probe reported under HKCU\Software\Probe.
  std::string report(const std::string& name);
  // Polls `done` until it holds or `limit` passes.
  static bool waitFor(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10));
  // The exit code the journal recorded for a pid, once it is there.
  std::optional<int> exitCodeOf(int pid);
  // Programs the journal shows started and not yet ended (a resident engine counts).
  int launchesRunning();
};

}  // namespace zelko::testing
