#include "common/outlook_store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/text.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko {
namespace {

using platform::Contact;
using platform::DateTime;
using platform::ItemFolder;
using testing::at;

class OutlookStoreTest : public testing::DeviceTest {
 protected:
  uint32_t add(std::string first, std::string last, std::string mobile = "",
               std::string picture = "") {
    Contact c;
    c.firstName = std::move(first);
    c.lastName = std::move(last);
    c.mobilePhone = std::move(mobile);
    auto oid = platform().items().addContact(c, picture);
    EXPECT_TRUE(oid.ok());
    return oid.ok() ? *oid : 0;
  }
  std::string readHost(const std::string& devicePath) {
    std::ifstream in(platform().files().hostPath(devicePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(OutlookStoreTest, WalkReadsEachMatchOnceInOrder) {
  OutlookSession session(platform());
  add("Ann", "Smith");
  add("Bob", "Jones");
  add("Cid", "Smith");
  add("Dee", "SMITH");
  OutlookStore store(session, ItemFolder::kContacts);
  EXPECT_TRUE(store.loggedOn());
  EXPECT_EQ(store.itemCount(), 4u);
  std::vector<std::string> seen;
  for (bool more = store.find(R"([LastName] = "smith")"); more; more = store.next()) {
    seen.push_back(store.record().firstName);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Ann", "Cid", "Dee"}));
  EXPECT_FALSE(store.next());
  // No match: false, and the record still holds the last contact read.
  EXPECT_FALSE(store.find(R"([LastName] = "nobody")"));
  EXPECT_EQ(store.record().firstName, "Dee");
  // A malformed restriction finds nothing, and next() does not go on with an old walk.
  EXPECT_TRUE(store.find(R"([LastName] = "smith")"));
  EXPECT_FALSE(store.find(R"([LastName] = "smith)"));
  EXPECT_FALSE(store.next());
  store.close();
}

TEST_F(OutlookStoreTest, FetchFillsTheRecordWithStoreDates) {
  Contact c;
  c.firstName = "Ann";
  c.lastName = "Lee";
  c.homePhone = "0123";
  c.birthday = at(1900, 1, 1);
  c.anniversary = at(2024, 6, 15);
  c.categories = "VIP";
  uint32_t oid = *platform().items().addContact(c);
  OutlookSession session(platform());
  OutlookStore store(session, ItemFolder::kContacts);
  ASSERT_TRUE(store.fetch(oid));
  EXPECT_EQ(store.record().oid, oid);
  EXPECT_EQ(store.record().homePhone, "0123");
  EXPECT_EQ(store.record().categories, "VIP");
  EXPECT_DOUBLE_EQ(store.record().birthday, 2.0);  // automation dates count from 30/12/1899
  EXPECT_DOUBLE_EQ(store.record().anniversary, 45458.0);
  EXPECT_EQ(fromAutomationDate(45458.5), (DateTime{2024, 6, 6, 15, 12, 0, 0, 0}));
  EXPECT_FALSE(store.fetch(oid + 1));
  EXPECT_EQ(store.record().oid, oid);
  store.close();
}

TEST_F(OutlookStoreTest, OpenTwiceKeepsTheFirstConnectionAndCloseEndsIt) {
  add("Ann", "Lee");
  OutlookSession session(platform());
  OutlookStore first(session);
  first.open(0);
  OutlookStore second(session);
  second.open(42);  // ignored: the connection exists
  second.openDefaultFolder(ItemFolder::kContacts);
  EXPECT_EQ(second.enableChangeNotifications(ItemFolder::kContacts).code(),
            platform::Status::Code::kInvalid);  // still no owner window
  EXPECT_TRUE(second.find(""));
  first.close();
  EXPECT_FALSE(session.isOpen());
  EXPECT_FALSE(second.find(""));  // the collection went with the connection
  second.open(0);
  second.openDefaultFolder(ItemFolder::kContacts);
  EXPECT_TRUE(second.find(""));
  second.close();
  // With an owner window both folders can be watched.
  auto& w = platform().windows();
  ASSERT_TRUE(w.registerClass("Engine", [](const platform::Message&) -> int64_t { return 0; }).ok());
  OutlookStore owned(session);
  owned.open(*w.createWindow("Engine", ""));
  EXPECT_TRUE(owned.enableChangeNotifications(ItemFolder::kCalendar).ok());
  EXPECT_TRUE(owned.enableChangeNotifications(ItemFolder::kContacts).ok());
  owned.close();
}

TEST_F(OutlookStoreTest, AStoreThatCannotBeReachedFailsQuietly) {
  // pim.db is opened on first use; a folder in its place makes that fail.
  std::filesystem::remove(dir() / "device" / "pim.db");
  std::filesystem::create_directory(dir() / "device" / "pim.db");
  OutlookSession session(platform());
  OutlookStore store(session, ItemFolder::kContacts);
  EXPECT_FALSE(store.loggedOn());
  EXPECT_EQ(store.itemCount(), 0u);
  EXPECT_FALSE(store.find(""));
  EXPECT_FALSE(store.next());
  EXPECT_FALSE(store.fetch(1));
  EXPECT_FALSE(store.saveContactPicture("\\Temp\\1.jpg"));
  EXPECT_FALSE(store.enableChangeNotifications(ItemFolder::kContacts).ok());
  store.open(0);  // the failed connection stays until closed
  EXPECT_FALSE(store.loggedOn());
  store.close();
}

TEST_F(OutlookStoreTest, PictureRules) {
  uint32_t withPicture = add("Ann", "Lee", "", std::string("\x89PNG\r\n\0\x01", 8));
  uint32_t without = add("Bob", "Lee");
  OutlookSession session(platform());
  OutlookStore store(session, ItemFolder::kContacts);
  ASSERT_TRUE(store.fetch(withPicture));
  ASSERT_TRUE(store.saveContactPicture("\\My Documents\\My Pictures\\a.jpg"));
  EXPECT_EQ(readHost("\\My Documents\\My Pictures\\a.jpg"), std::string("\x89PNG\r\n\0\x01", 8));
  // An existing file stays as it is, even though the picture changed since.
  ASSERT_TRUE(platform().items().setContactPicture(withPicture, "new").ok());
  EXPECT_TRUE(store.saveContactPicture("\\My Documents\\My Pictures\\a.jpg"));
  EXPECT_EQ(readHost("\\My Documents\\My Pictures\\a.jpg"), std::string("\x89PNG\r\n\0\x01", 8));
  // No picture: false and no file.
  ASSERT_TRUE(store.fetch(without));
  EXPECT_FALSE(store.saveContactPicture("\\My Documents\\My Pictures\\b.jpg"));
  EXPECT_FALSE(platform().files().exists("\\My Documents\\My Pictures\\b.jpg"));
  store.close();
}

TEST_F(OutlookStoreTest, NameAndPhoneLookups) {
  add("Martin", "Paul");
  uint32_t ann = add("Ann", "Lee", "+33612345678");
  Contact work;
  work.lastName = "Office";
  work.businessPhone = "+1 (555) 010-2000";
  uint32_t office = *platform().items().addContact(work);
  uint32_t paulMartin = add("Paul", "Martin");
  add("Zoé", "O\"Neil");
  OutlookSession session(platform());
  OutlookStore store(session, ItemFolder::kContacts);
  // One name: last or first name.
  ASSERT_TRUE(store.findContactByName("martin"));
  EXPECT_EQ(store.record().firstName, "Martin");
  EXPECT_TRUE(store.next());
  // Two names: last name, then first name.
  ASSERT_TRUE(store.findContactByName("Martin", "Paul"));
  EXPECT_EQ(store.record().oid, paulMartin);
  EXPECT_FALSE(store.next());
  // A quote is part of the name, not the end of the text.
  ASSERT_TRUE(store.findContactByName("o\"neil"));
  EXPECT_EQ(store.record().firstName, "Zoé");
  EXPECT_FALSE(store.findContactByName(R"(x" OR [LastName] <> "x)"));
  // Numbers compare without their layout.
  ASSERT_TRUE(store.findContactByPhone("+33 6 12 34 56 78"));
  EXPECT_EQ(store.record().oid, ann);
  ASSERT_TRUE(store.findContactByPhone("+15550102000"));
  EXPECT_EQ(store.record().oid, office);
  EXPECT_FALSE(store.findContactByPhone("0612345678"));
  store.close();
}

TEST_F(OutlookStoreTest, LongLookupsAreCutToFit) {
  add("x", "y");
  // Cutting never splits a character or a doubled quote, so the cut text still parses.
  std::string quotes(200, '"');
  for (const std::string& s : {nameRestriction(std::string(300, 'a'), ""), nameRestriction(quotes, quotes),
                               phoneRestriction(quotes), nameRestriction(std::string(120, 'x') + "😀😀😀", "")}) {
    EXPECT_LE(platform::utf16Length(s), 255u) << s;
    EXPECT_TRUE(platform().items().find(ItemFolder::kContacts, s).ok()) << s;
  }
}

}  // namespace
}  // namespace zelko
