// The view's web server as a socket: one server a port.
#include <gtest/gtest.h>

#include "device/home_view/home_server.h"
#include "tests/unit/device_fixture.h"

namespace zelko::testing {
namespace {

class HomeServerTest : public DeviceTest {};

TEST_F(HomeServerTest, ASecondServerCannotTakeThePortOfTheFirst) {
  device::home::EventHub hub;
  device::home::HomeView view(device(), hub);
  device::home::HomeServer first(view, hub, platform().files(), dir() / "device" / "fs");
  device::home::HomeServer second(view, hub, platform().files(), dir() / "device" / "fs");
  int port = first.bind("127.0.0.1", 0);
  ASSERT_GT(port, 0);
  EXPECT_EQ(second.bind("127.0.0.1", port), -1);
}

}  // namespace
}  // namespace zelko::testing
