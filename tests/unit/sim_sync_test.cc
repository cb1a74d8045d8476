// Named mutexes of the emulated device.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_sync.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

class SimSyncTest : public testing::DeviceTest {
 protected:
  std::unique_ptr<platform::NamedMutex> open(const std::string& name) {
    auto m = platform().sync().createMutex(name);
    EXPECT_TRUE(m.ok()) << m.status().message();
    return m.ok() ? std::move(*m) : nullptr;
  }
};

TEST_F(SimSyncTest, NamesMatchWithoutCaseAndLiveWhileAHandleIsOpen) {
  auto first = open("ZelkoToday.Été");
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->alreadyExisted());
  auto second = open("zelkotoday.ÉTÉ");
  EXPECT_TRUE(second->alreadyExisted());
  first.reset();
  EXPECT_TRUE(open("ZELKOTODAY.été")->alreadyExisted());
  second.reset();
  EXPECT_FALSE(open("ZelkoToday.Été")->alreadyExisted());

  auto a = open("Alpha");
  EXPECT_FALSE(open("Alpha2")->alreadyExisted());
  EXPECT_FALSE(open("")->alreadyExisted());
  EXPECT_FALSE(open("Al\\pha/..")->alreadyExisted());  // any character may be in a name
  // Long names that share their first hundred characters are still two names.
  const std::string stem(150, 'm');
  auto longA = open(stem + "A");
  EXPECT_FALSE(open(stem + "B")->alreadyExisted());
  EXPECT_TRUE(open(stem + "a")->alreadyExisted());
}

// Starts that race: `starters` processes, each with its own handle on the device's run/
// folder, let go at the same moment. Returns how many of them saw the mutex as new.
int firstsAmongSimultaneousStarts(const std::filesystem::path& runDir, const std::string& name,
                                  int starters) {
  int go[2], created[2], hold[2];
  if (pipe(go) != 0 || pipe(created) != 0 || pipe(hold) != 0) return -1;
  std::vector<pid_t> children;
  for (int i = 0; i < starters; ++i) {
    pid_t pid = fork();
    if (pid == 0) {
      char c;
      close(go[1]);
      close(hold[1]);
      if (read(go[0], &c, 1) != 0) _exit(3);  // the end of the pipe is the starting shot
      platform::sim::SimSync sync(runDir);
      auto mutex = sync.createMutex(name);
      int code = !mutex.ok() ? 2 : (*mutex)->alreadyExisted() ? 1 : 0;
      if (write(created[1], "x", 1) != 1) _exit(3);
      // Every handle stays open until all were created.
      if (read(hold[0], &c, 1) != 0) _exit(3);
      _exit(code);
    }
    children.push_back(pid);
  }
  close(go[0]);
  close(go[1]);
  close(created[1]);
  char c;
  for (int i = 0; i < starters; ++i) {
    if (read(created[0], &c, 1) != 1) break;
  }
  close(hold[1]);
  int firsts = 0;
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return -1;
    firsts += WEXITSTATUS(status) == 0;
  }
  close(created[0]);
  close(hold[0]);
  return firsts;
}

TEST_F(SimSyncTest, OfSimultaneousStartsExactlyOneIsFirst) {
  for (int round = 0; round < 40; ++round) {
    ASSERT_EQ(firstsAmongSimultaneousStarts(dir() / "device" / "run", "Race" + std::to_string(round), 6),
              1)
        << "round " << round;
  }
}

}  // namespace
}  // namespace zelko
