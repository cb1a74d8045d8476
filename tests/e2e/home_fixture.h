// A device with the suite installed and its home screen ready to be served.
#pragma once

#include <string>

#include "tests/e2e/served_home.h"
#include "tests/e2e/varn_fixture.h"

namespace zelko::testing {

// A device made by `zelko-device init`, with the suite installed, the plugin registered
// as the setup tool does and its layers added to both layouts by the plugin installer.
class HomeDeviceTest : public InstallerTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the services and the engine at 2026-12-31 23:59, battery 42 %, and waits for
  // the engine's first values and the end of the providers it starts.
  void startEngine();
  void setPageText(const std::string& page, const std::string& name, const std::string& text);
  // Writes `text` as `name` of `page` inside an update bracket, as the programs do.
  void writeBatch(const std::string& page, const std::string& name, const std::string& text);

  // Requests to the served home screen.
  int get(const ServedHome& served, const std::string& path, std::string* body = nullptr);
  int post(const ServedHome& served, const std::string& path, const std::string& form,
           std::string* body = nullptr, bool fromPage = true);

  bool engineStarted_ = false;
};

}  // namespace zelko::testing
