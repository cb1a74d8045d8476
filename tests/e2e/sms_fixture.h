// A device with the suite installed, texts arriving through `zelko-device sms receive`,
// contacts through `contacts add`, and ZelkoSms run through the device's shell.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {

class SmsEndToEnd : public EndToEndTest {
 protected:
  // Paris, so that a delivery time listed in UTC instead of local time shows.
  platform::sim::DeviceOptions options() override;
  void SetUp() override;

  // Runs ZelkoSms with these parameters and waits for its exit code.
  int sms(const std::string& params);
  // A text arrives, delivered at the device-local time `at`; its entry id.
  std::string receive(const std::string& from, const std::string& text, const std::string& at,
                      bool read = false);
  // A contact; its object id. `picture` is the picture's bytes (none when empty).
  std::string contact(const std::string& first, const std::string& last, const std::string& mobile,
                      const std::string& home = "", const std::string& business = "",
                      const std::string& picture = "");
  // zelko-device's output for these arguments; a non-zero exit fails the test.
  std::string run(const std::vector<std::string>& args);

  // A value of record n under HKCU\Software\Zelko\Sms ("<missing>" when there is none);
  // DWORDs in decimal.
  std::string record(int n, const std::string& name);
  // Several values of record n, in the order asked.
  std::vector<std::string> records(int n, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const std::string& name : names) out.push_back(record(n, name));
    return out;
  }
  std::string total();
  // A value of Page4 (or another page); "<missing>" when there is none.
  std::string page(const std::string& name, const std::string& pageName = "Page4");
  // An image value's file name.
  std::string pageImage(const std::string& name, const std::string& pageName = "Page4");
  // A file of the installation folder, as it is on the host.
  std::string installedFile(const std::string& name);
  void writeInstalled(const std::string& name, const std::string& bytes);
};

}  // namespace zelko::testing
