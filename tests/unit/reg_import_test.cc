// A .reg import is one registry transaction: a store that fills up half way, or a change
// the registry refuses, leaves the registry as it was and tells no watcher.
#include "device/reg_import.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/sim/sim_registry.h"

namespace zelko::device {
namespace {

using platform::RegValue;
using platform::Root;
using platform::Status;
using platform::sim::ChangeSet;
using platform::sim::Database;
using platform::sim::SimRegistry;

class RegImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelko-reg-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    auto db = Database::open(dir_ / "registry.db", true);
    ASSERT_TRUE(db.ok()) << db.status().message();
    db_ = std::move(*db);
    ASSERT_TRUE(SimRegistry::createSchema(*db_).ok());
    reg_ = std::make_unique<SimRegistry>(*db_, [this](const ChangeSet& c) { heard_ += c.watchers.size(); });
    ASSERT_TRUE(reg_->setValue(Root::kCurrentUser, "Software\\App", "Mode", RegValue::Text("before")).ok());
    ASSERT_TRUE(db_->exec("INSERT INTO watches(root, keyfold, namefold, address, cookie)"
                          " VALUES(1, 'software\\app', 'mode', 'nobody', 1)")
                    .ok());
  }
  void TearDown() override {
    reg_.reset();
    db_.reset();
    std::filesystem::remove_all(dir_);
  }

  // The watched value first, then many more: a failure comes after the watched change.
  std::vector<RegOperation> bigImport() {
    using Kind = RegOperation::Kind;
    std::vector<RegOperation> ops = {
        {Kind::kSetValue, Root::kCurrentUser, "Software\\App", "Mode", RegValue::Text("after"), 3}};
    for (int i = 0; i < 2000; ++i) {
      ops.push_back({Kind::kSetValue, Root::kCurrentUser, "Software\\App\\Key" + std::to_string(i), "Value",
                     RegValue::Text(std::string(200, 'x')), 4 + i});
    }
    return ops;
  }

  void expectUntouched() {
    EXPECT_EQ(reg_->getValue(Root::kCurrentUser, "Software\\App", "Mode")->text, "before");
    EXPECT_TRUE(reg_->subKeys(Root::kCurrentUser, "Software\\App").empty());
    EXPECT_EQ(heard_, 0u) << "a watcher heard of a change that was never committed";
  }

  std::filesystem::path dir_;
  std::unique_ptr<Database> db_;
  std::unique_ptr<SimRegistry> reg_;
  size_t heard_ = 0;
};

TEST_F(RegImportTest, AFullStoreLeavesTheRegistryAsItWas) {
  // The store may grow by a few pages only: the disk is full long before the end.
  ASSERT_TRUE(db_->exec("PRAGMA max_page_count = 40").ok());
  auto ops = bigImport();
  Status s = reg_->transaction([&] { return applyRegOperations(*reg_, ops); });
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("full"), std::string::npos) << s.message();
  EXPECT_EQ(s.message().rfind("line ", 0), 0u) << s.message();
  expectUntouched();
}

TEST_F(RegImportTest, ARefusedChangeLeavesTheRegistryAsItWas) {
  auto ops = bigImport();
  RegOperation rootDeletion;
  rootDeletion.kind = RegOperation::Kind::kDeleteKey;  // the registry refuses to delete a root
  rootDeletion.line = 9999;
  ops.push_back(rootDeletion);
  Status s = reg_->transaction([&] { return applyRegOperations(*reg_, ops); });
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.message().rfind("line 9999: ", 0), 0u) << s.message();
  expectUntouched();
}

TEST_F(RegImportTest, AWholeImportIsCommittedAndHeardOnce) {
  auto ops = bigImport();
  ops.resize(10);
  ASSERT_TRUE(reg_->transaction([&] { return applyRegOperations(*reg_, ops); }).ok());
  EXPECT_EQ(reg_->getValue(Root::kCurrentUser, "Software\\App", "Mode")->text, "after");
  EXPECT_EQ(reg_->subKeys(Root::kCurrentUser, "Software\\App").size(), 9u);
  EXPECT_EQ(heard_, 1u);
}

}  // namespace
}  // namespace zelko::device
