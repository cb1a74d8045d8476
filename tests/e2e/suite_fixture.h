// A device as `zelko-device init` and `install` leave it, with the home screen
// switched on, and the engine started on request; the providers the engine starts on its
// own are stand-ins, so that only the programs under test write pages.
#pragma once

#include <chrono>
#include <string>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {


class SuiteEndToEnd : public EndToEndTest {
 protected:
  void SetUp() override;
  // Stops the engine and waits for every program started to end.
  void TearDown() override;

  // Runs an installed program ("ZelkoTools") with `params` and waits for its exit code;
  // -1 when it did not start or end.
  int run(const std::string& program, const std::string& params);
  // Starts the engine through its controller; back once its first refresh is written.
  void startEngine();
  // A value of a page ("" for the plugin key), DWORDs in decimal; "<missing>" when there
  // is none. An image value is shown by its file name with `fileNameOnly`.
  std::string value(const std::string& page, const std::string& name, bool fileNameOnly = false);
  // Waits until the value (an image: its file name) is `want`, and says what it holds.
  std::string shows(const std::string& page, const std::string& name, const std::string& want,
                    std::chrono::milliseconds limit = std::chrono::seconds(5));
  // The radio events of the journal since the test began, "radio state" each.
  std::vector<std::string> radioEvents();
};

}  // namespace zelko::testing
