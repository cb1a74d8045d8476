// Key paths at the phone's limits, and walking a tree whose names sort around the path
// separator.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;
using platform::Status;
using testing::kHklm;

class RegistryPathsTest : public testing::DeviceTest {
 protected:
  platform::Registry& reg() { return platform().registry(); }
};

std::string deepPath(int levels) {
  std::string path;
  for (int i = 0; i < levels; ++i) path += (i ? "\\k" : "k") + std::to_string(i);
  return path;
}

TEST_F(RegistryPathsTest, KeyNamesAndDepthsPastThePhonesLimitsAreRefused) {
  // 255 characters, counted as the phone counts them: "é" is one, "😀" two.
  std::string longest = std::string(254, 'a') + "é";
  std::string emoji = std::string(253, 'a') + "\xF0\x9F\x98\x80";
  EXPECT_TRUE(reg().setValue(kHklm, "Software\\" + longest, "v", RegValue::Dword(1)).ok());
  EXPECT_TRUE(reg().createKey(kHklm, "Software\\" + longest + "\\" + emoji).ok());
  for (const std::string& name : {longest + "b", emoji + "b"}) {
    EXPECT_EQ(reg().setValue(kHklm, "Software\\" + name, "v", RegValue::Dword(1)).code(),
              Status::Code::kInvalid);
    EXPECT_EQ(reg().createKey(kHklm, name).code(), Status::Code::kInvalid);
    EXPECT_FALSE(reg().keyExists(kHklm, "Software\\" + name));
  }
  EXPECT_TRUE(reg().setValue(kHklm, deepPath(512), "v", RegValue::Dword(1)).ok());
  EXPECT_EQ(reg().createKey(kHklm, deepPath(513)).code(), Status::Code::kInvalid);
  EXPECT_EQ(reg().setValue(kHklm, deepPath(513), "v", RegValue::Dword(1)).code(),
            Status::Code::kInvalid);
  EXPECT_FALSE(reg().keyExists(kHklm, deepPath(513)));
  // The deepest key is listed under its parent.
  EXPECT_EQ(reg().subKeys(kHklm, deepPath(511)), std::vector<std::string>{"k511"});
}

TEST_F(RegistryPathsTest, SubKeysSkipWholeSubtreesAndKeepEverySibling) {
  // '!' and '[' sort before the separator '\', ']' and '^' after it; each sibling must
  // still be listed once, however large the subtrees between them.
  for (const char* key : {"T\\a", "T\\a!", "T\\a[", "T\\a]", "T\\a^", "T\\b", "T\\a\\x",
                          "T\\a\\x\\y", "T\\a]\\z", "T\\a!\\q"}) {
    ASSERT_TRUE(reg().createKey(kHklm, key).ok()) << key;
  }
  EXPECT_EQ(reg().subKeys(kHklm, "T"), (std::vector<std::string>{"a", "a!", "a[", "a]", "a^", "b"}));
  EXPECT_EQ(reg().subKeys(kHklm, "t\\A"), std::vector<std::string>{"x"});
  EXPECT_TRUE(reg().subKeys(kHklm, "T\\b").empty());
  std::vector<std::string> top = reg().subKeys(kHklm, "");
  EXPECT_NE(std::find(top.begin(), top.end(), "T"), top.end());
}

}  // namespace
}  // namespace zelko
