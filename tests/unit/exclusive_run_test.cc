// Runs that rewrite a provider's records take turns.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "common/exclusive_run.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using std::chrono::milliseconds;

class ExclusiveRunTest : public testing::DeviceTest {};

TEST_F(ExclusiveRunTest, TheNextRunWaitsForTheTurnAndGoesAheadAfterTheLimit) {
  std::optional<ExclusiveRun> first(std::in_place, platform(), "Listing");
  ASSERT_TRUE(first->held());
  {
    ExclusiveRun stuck(platform(), "listing", milliseconds(100));  // names ignore case
    EXPECT_FALSE(stuck.held());
  }
  ExclusiveRun other(platform(), "Another listing", milliseconds(0));
  EXPECT_TRUE(other.held());

  std::thread ends([&] {
    std::this_thread::sleep_for(milliseconds(150));
    first.reset();
  });
  auto start = std::chrono::steady_clock::now();
  ExclusiveRun next(platform(), "Listing", std::chrono::seconds(20));
  auto waited = std::chrono::steady_clock::now() - start;
  ends.join();
  EXPECT_TRUE(next.held());
  EXPECT_GE(waited, milliseconds(100));
}

}  // namespace
}  // namespace zelko
