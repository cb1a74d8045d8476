// The single-instance start-up with real processes starting at the same time.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

class SingleInstanceEndToEnd : public EndToEndTest {
 protected:
  void TearDown() override {
    // Every instance that runs ends on message 1127; none may outlive the device.
    waitFor([&] {
      platform::WindowHandle w = platform().windows().findWindow("ProbeInstance");
      if (w) (void)platform().windows().postMessage({w, 1127, 0, 0});  // it may end meanwhile
      return w == 0;
    });
    for (int pid : started_) waitFor([&] { return exitCodeOf(pid).has_value(); });
    EndToEndTest::TearDown();
  }
  // Starts `count` instances at once; their pids.
  std::vector<int> startAtOnce(int count) {
    std::vector<int> pids;
    for (int i = 0; i < count; ++i) pids.push_back(startProbe("instance"));
    started_.insert(started_.end(), pids.begin(), pids.end());
    return pids;
  }
  // How many of `pids` ended with 3 ("another instance runs") and how many still run.
  void count(const std::vector<int>& pids, int& gaveWay, int& running) {
    gaveWay = running = 0;
    for (int pid : pids) {
      std::optional<int> code = exitCodeOf(pid);
      gaveWay += code == 3;
      running += !code;
    }
  }
  std::vector<int> started_;
};

TEST_F(SingleInstanceEndToEnd, OfSimultaneousStartsOneRuns) {
  std::vector<int> pids = startAtOnce(4);
  int gaveWay = 0, running = 0;
  ASSERT_TRUE(waitFor([&] {
    count(pids, gaveWay, running);
    return gaveWay == 3;
  })) << gaveWay << " gave way";
  EXPECT_EQ(running, 1);
  EXPECT_EQ(platform().windows().listWindows().size(), 1u);
}

TEST_F(SingleInstanceEndToEnd, AnInstanceThatRanAfterThreeLooksStillCounts) {
  // A mutex held without a window (here by the test): the instance looks three times,
  // then runs all the same.
  auto holder = platform().sync().createMutex("ProbeInstance");
  ASSERT_TRUE(holder.ok());
  std::vector<int> first = startAtOnce(1);
  ASSERT_TRUE(waitFor([&] { return report("instance") == "up"; }));
  holder->reset();

  // The mutex it holds from then on makes the later starts give way.
  std::vector<int> later = startAtOnce(2);
  int gaveWay = 0, running = 0;
  ASSERT_TRUE(waitFor([&] {
    count(later, gaveWay, running);
    return running == 0;
  })) << "a later start runs beside the first";
  EXPECT_EQ(gaveWay, 2);
  EXPECT_FALSE(exitCodeOf(first[0]).has_value());
}

}  // namespace
}  // namespace zelko::testing
