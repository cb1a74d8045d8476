#include <gtest/gtest.h>

#include "platform/sim/db.h"
#include "platform/sim/items_store.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko::platform {
namespace {

using testing::meeting;
using zelko::testing::at;

Contact contact(std::string first, std::string last, std::string mobile = "") {
  Contact c;
  c.firstName = std::move(first);
  c.lastName = std::move(last);
  c.mobilePhone = std::move(mobile);
  return c;
}

std::vector<uint32_t> walk(Items& items, ItemFolder folder, std::string_view restriction) {
  auto w = items.find(folder, restriction);
  EXPECT_TRUE(w.ok()) << w.status().message();
  std::vector<uint32_t> oids;
  if (!w.ok()) return oids;
  while (auto item = (*w)->next()) oids.push_back(itemOid(*item));
  return oids;
}

class ItemsStore : public testing::DeviceTest {
 protected:
  Items& items() { return platform().items(); }
};

TEST_F(ItemsStore, WalkKeepsTheOrderOfAdditionAndOidsAreNeverReused) {
  auto a = *items().addContact(contact("Zoe", "Adams"));
  auto b = *items().addContact(contact("Adam", "Zed"));
  auto appt = *items().addAppointment(meeting("x", at(2024, 1, 1, 9), at(2024, 1, 1, 10)));
  auto c = *items().addContact(contact("Mia", "Mole"));
  EXPECT_EQ(walk(items(), ItemFolder::kContacts, ""), (std::vector<uint32_t>{a, b, c}));
  EXPECT_EQ(walk(items(), ItemFolder::kCalendar, ""), (std::vector<uint32_t>{appt}));
  ASSERT_TRUE(items().removeItem(c).ok());
  EXPECT_EQ(items().removeItem(c).code(), Status::Code::kNotFound);
  auto d = *items().addContact(contact("New", "One"));
  EXPECT_GT(d, c);
  EXPECT_EQ(walk(items(), ItemFolder::kContacts, ""), (std::vector<uint32_t>{a, b, d}));
  EXPECT_EQ(items().count(ItemFolder::kContacts), 3u);
  // A contact is not an appointment, and an unknown oid is nothing at all.
  EXPECT_EQ(items().appointment(a).status().code(), Status::Code::kNotFound);
  EXPECT_EQ(items().item(d + 100).status().code(), Status::Code::kNotFound);
}

TEST_F(ItemsStore, BatchAddIsAllOrNothing) {
  std::vector<NewContact> batch(3);
  batch[0].contact = contact("A", "One");
  batch[1].contact = contact("B", "Two");
  batch[2].contact = contact("C", "Three");
  batch[2].contact.birthday = DateTime{.year = 2023, .month = 2, .day = 29};
  auto refused = items().addContacts(batch);
  EXPECT_EQ(refused.status().code(), Status::Code::kInvalid);
  EXPECT_NE(refused.status().message().find("contact 3"), std::string::npos);
  EXPECT_EQ(items().count(ItemFolder::kContacts), 0u);

  std::vector<Appointment> appts(2);
  appts[0] = meeting("ok", at(2024, 1, 1, 9), at(2024, 1, 1, 10));
  appts[1] = meeting("bad rule", at(2024, 1, 1, 9), at(2024, 1, 1, 10), "FREQ=SOMETIMES");
  EXPECT_EQ(items().addAppointments(appts).status().code(), Status::Code::kInvalid);
  appts[1] = meeting("backwards", at(2024, 1, 2), at(2024, 1, 1));
  EXPECT_EQ(items().addAppointments(appts).status().code(), Status::Code::kInvalid);
  EXPECT_EQ(items().count(ItemFolder::kCalendar), 0u);

  batch[2].contact.birthday.reset();
  auto oids = items().addContacts(batch);
  ASSERT_TRUE(oids.ok());
  EXPECT_EQ(walk(items(), ItemFolder::kContacts, ""), *oids);
}

TEST_F(ItemsStore, UpdatesAndPictures) {
  auto oid = *items().addContact(contact("Ann", "Lee"));
  EXPECT_EQ(items().contactPicture(oid).status().code(), Status::Code::kNotFound);
  ASSERT_TRUE(items().setContactPicture(oid, std::string("\xFF\xD8jpeg\0bytes", 12)).ok());
  EXPECT_EQ(*items().contactPicture(oid), std::string("\xFF\xD8jpeg\0bytes", 12));
  Contact changed = contact("Anne", "Lee");
  changed.oid = oid;
  ASSERT_TRUE(items().updateContact(changed).ok());
  EXPECT_EQ(items().contact(oid)->firstName, "Anne");
  EXPECT_EQ(*items().contactPicture(oid), std::string("\xFF\xD8jpeg\0bytes", 12));  // an update keeps it
  ASSERT_TRUE(items().setContactPicture(oid, "").ok());
  EXPECT_FALSE(items().contact(oid)->hasPicture);
  changed.oid = oid + 1;
  EXPECT_EQ(items().updateContact(changed).code(), Status::Code::kNotFound);
}

TEST_F(ItemsStore, AppointmentsKeepTheirSeries) {
  Appointment a = meeting("Standup", at(2024, 1, 1, 9), at(2024, 1, 1, 9, 15),
                          "FREQ=DAILY;COUNT=10", {at(2024, 1, 3, 9)});
  a.location = "Room 1";
  a.categories = "Work";
  auto oid = items().addAppointment(a);
  ASSERT_TRUE(oid.ok()) << oid.status().message();
  auto back = *items().appointment(*oid);
  EXPECT_TRUE(back.recurring);
  EXPECT_EQ(back.durationMinutes, 15);  // taken from start and end when not given
  EXPECT_EQ(back.exceptionDates, a.exceptionDates);
  EXPECT_EQ(back.recurrenceRule, a.recurrenceRule);

  // A zone and extra dates are kept; a single item keeps no zone; an unknown one is refused.
  a.timeZone = "Asia/Tokyo";
  a.recurrenceDates = {at(2024, 2, 1, 18)};
  auto zoned = items().addAppointment(a);
  ASSERT_TRUE(zoned.ok()) << zoned.status().message();
  EXPECT_EQ(*items().appointment(*zoned), (Appointment{*zoned, a.subject, a.location, a.categories, a.start, a.end,
                                                       false, 15, true, a.recurrenceRule, "Asia/Tokyo",
                                                       a.exceptionDates, a.recurrenceDates}));
  Appointment single = meeting("Once", at(2024, 1, 1, 9), at(2024, 1, 1, 10));
  single.timeZone = "Asia/Tokyo";
  EXPECT_EQ(items().appointment(*items().addAppointment(single))->timeZone, "");
  a.timeZone = "Mars/Olympus";
  EXPECT_EQ(items().addAppointment(a).status().code(), Status::Code::kInvalid);
}

TEST_F(ItemsStore, AStoreMadeBeforeZonesKeepsItsItemsAndTakesZones) {
  // pim.db as earlier versions made it, with one series in it.
  auto old = sim::Database::open(dir() / "device" / "pim.db", false);
  ASSERT_TRUE(old.ok());
  ASSERT_TRUE((*old)->write([&] {
    return (*old)->exec(
        "DROP TABLE appointments;"
        "CREATE TABLE appointments(oid INTEGER PRIMARY KEY, subject TEXT NOT NULL,"
        " location TEXT NOT NULL, categories TEXT NOT NULL, start INTEGER NOT NULL,"
        " finish INTEGER NOT NULL, allday INTEGER NOT NULL, duration INTEGER NOT NULL,"
        " rrule TEXT NOT NULL, exdates TEXT NOT NULL);"
        "INSERT INTO items(oid, folder) VALUES(7, 9);"
        "INSERT INTO appointments VALUES(7, 'Old', '', '', 1704099600000, 1704103200000, 0, 60,"
        " 'FREQ=DAILY', '');");
  }).ok());
  old->reset();
  auto reopened = sim::Device::open(dir() / "device");
  ASSERT_TRUE(reopened.ok());
  Items& store = (*reopened)->platform().items();
  auto kept = store.appointment(7);
  ASSERT_TRUE(kept.ok()) << kept.status().message();
  EXPECT_EQ(kept->start, at(2024, 1, 1, 9));
  EXPECT_EQ(kept->timeZone, "");
  EXPECT_TRUE(store.occurrenceOn(7, at(2024, 1, 5)).has_value());
  Appointment zoned = meeting("New", at(2024, 1, 1, 9), at(2024, 1, 1, 10), "FREQ=DAILY");
  zoned.timeZone = "Europe/Paris";
  EXPECT_TRUE(store.addAppointment(zoned).ok());
}

// A store whose changes come from another process, as zelko-device's would: same files,
// another writer identity.
class ItemsNotifications : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    auto reg = sim::Database::open(dir() / "device" / "registry.db", false);
    ASSERT_TRUE(reg.ok());
    registry_ = std::move(*reg);
    sim::ProcessId stranger = sim::currentProcess();
    stranger.startTime += 1;  // not this process
    other_ = std::make_unique<sim::SimItems>(dir() / "device" / "pim.db", *registry_,
                                            platform().windows(), platform().locale(), platform().clock(),
                                            stranger);
    auto& w = platform().windows();
    ASSERT_TRUE(w.registerClass("Watcher", [this](const Message& m) -> int64_t {
                   if (m.message >= kItemAdded && m.message <= kItemChanged) {
                     got_.emplace_back(m.message, m.lParam);
                   }
                   return 0;
                 }).ok());
    window_ = *w.createWindow("Watcher", "");
  }
  void TearDown() override {
    other_.reset();
    registry_.reset();
    DeviceTest::TearDown();
  }
  std::vector<std::pair<uint32_t, int64_t>> pump() {
    for (int i = 0; i < 5; ++i) platform().windows().pumpMessages(std::chrono::milliseconds(20));
    return std::exchange(got_, {});
  }
  using Got = std::vector<std::pair<uint32_t, int64_t>>;

  std::unique_ptr<sim::Database> registry_;
  std::unique_ptr<sim::SimItems> other_;
  WindowHandle window_ = 0;
  Got got_;
};

TEST_F(ItemsNotifications, OtherProcessesChangesArePostedWithTheFolder) {
  ASSERT_TRUE(platform().items().enableChangeNotifications(ItemFolder::kContacts, window_).ok());
  ASSERT_TRUE(platform().items().enableChangeNotifications(ItemFolder::kCalendar, window_).ok());
  auto oid = *other_->addContact(contact("Ann", "Lee"));
  EXPECT_EQ(pump(), (Got{{kItemAdded, 10}}));
  Contact c = contact("Anne", "Lee");
  c.oid = oid;
  ASSERT_TRUE(other_->updateContact(c).ok());
  ASSERT_TRUE(other_->removeItem(oid).ok());
  EXPECT_EQ(pump(), (Got{{kItemChanged, 10}, {kItemDeleted, 10}}));
  ASSERT_TRUE(other_->addAppointment(meeting("x", at(2024, 1, 1, 9), at(2024, 1, 1, 10))).ok());
  EXPECT_EQ(pump(), (Got{{kItemAdded, 9}}));
  // One message for a whole import, not one per item.
  std::vector<NewContact> batch(50);
  for (auto& n : batch) n.contact = contact("x", "y");
  ASSERT_TRUE(other_->addContacts(batch).ok());
  EXPECT_EQ(pump(), (Got{{kItemAdded, 10}}));
}

TEST_F(ItemsNotifications, OwnChangesAndOtherFoldersAreNotPosted) {
  ASSERT_TRUE(platform().items().enableChangeNotifications(ItemFolder::kCalendar, window_).ok());
  ASSERT_TRUE(platform().items().addAppointment(meeting("mine", at(2024, 1, 1), at(2024, 1, 1))).ok());
  ASSERT_TRUE(other_->addContact(contact("Ann", "Lee")).ok());
  EXPECT_TRUE(pump().empty());
  // The registration lives in the store, not in this process's memory.
  ASSERT_TRUE(other_->addAppointment(meeting("theirs", at(2024, 1, 1), at(2024, 1, 1))).ok());
  EXPECT_EQ(pump(), (Got{{kItemAdded, 9}}));
}

TEST_F(ItemsNotifications, GoneWindowsAreDroppedAndUnknownOnesRefused) {
  EXPECT_EQ(platform().items().enableChangeNotifications(ItemFolder::kContacts, window_ + 1000).code(),
            Status::Code::kNotFound);
  ASSERT_TRUE(platform().items().enableChangeNotifications(ItemFolder::kContacts, window_).ok());
  ASSERT_TRUE(platform().windows().destroyWindow(window_).ok());
  ASSERT_TRUE(other_->addContact(contact("Ann", "Lee")).ok());
  auto pim = sim::Database::open(dir() / "device" / "pim.db", false);
  auto guard = (*pim)->lock();
  auto& q = (*pim)->prepare("SELECT count(*) FROM change_windows");
  ASSERT_TRUE(q.step());
  EXPECT_EQ(q.columnInt(0), 0);
  q.reset();
}

}  // namespace
}  // namespace zelko::platform
