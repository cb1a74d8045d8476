// Named mutexes of the emulated device.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
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

TEST_F(SimSyncTest, SecondHandleOfANameSeesTheFirstUntilItCloses) {
  auto first = open("ZelkoToday.Été");
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->alreadyExisted());
  auto second = open("zelkotoday.ÉTÉ");
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->alreadyExisted());

  // While any handle is open the name exists; once none is, it is new again.
  first.reset();
  EXPECT_TRUE(open("ZELKOTODAY.été")->alreadyExisted());
  second.reset();
  EXPECT_FALSE(open("ZelkoToday.Été")->alreadyExisted());
}

TEST_F(SimSyncTest, DifferentNamesAreDifferentMutexes) {
  auto a = open("Alpha");
  EXPECT_FALSE(open("Alpha2")->alreadyExisted());
  EXPECT_FALSE(open("")->alreadyExisted());
  EXPECT_FALSE(open("Al\\pha/..")->alreadyExisted());  // any character may be in a name
  // Long names that share their first hundred characters are still two names.
  const std::string stem(150, 'm');
  auto longA = open(stem + "A");
  EXPECT_FALSE(longA->alreadyExisted());
  EXPECT_FALSE(open(stem + "B")->alreadyExisted());
  EXPECT_TRUE(open(stem + "a")->alreadyExisted());
}

}  // namespace
}  // namespace zelko
