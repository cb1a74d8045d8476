// The contacts and calendar store of the emulated device, kept in pim.db.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/clock.h"
#include "platform/items.h"
#include "platform/locale.h"
#include "platform/sim/db.h"
#include "platform/sim/process_info.h"

namespace zelko::platform::sim {

class SimItems final : public Items {
 public:
  // `registry` is registry.db, where windows name their process; `windows` delivers the
  // change messages; `writer` is the process whose changes these are (a registered window
  // of that same process is not told of them); `clock` is the device's, whose zone
  // recurring items with a zone of their own are moved to. pim.db is opened on first use,
  // so a program that never reads the store never opens it.
  SimItems(std::filesystem::path pimPath, Database& registry, Windows& windows, Locale& locale, Clock& clock,
           ProcessId writer);
  static Status createSchema(Database& db);

  Status logOn() override;
  size_t count(ItemFolder folder) override;
  Result<std::unique_ptr<ItemWalk>> find(ItemFolder folder, std::string_view restriction) override;
  Result<Item> item(uint32_t oid) override;
  Result<Contact> contact(uint32_t oid) override;
  Result<Appointment> appointment(uint32_t oid) override;
  Result<std::string> contactPicture(uint32_t oid) override;
  std::optional<Occurrence> occurrenceOn(uint32_t oid, const DateTime& day) override;
  Result<std::vector<Occurrence>> occurrencesOn(const std::vector<uint32_t>& oids, const DateTime& firstDay,
                                                int days) override;
  Status enableChangeNotifications(ItemFolder folder, WindowHandle window) override;
  Result<std::vector<uint32_t>> addContacts(const std::vector<NewContact>& contacts) override;
  Result<std::vector<uint32_t>> addAppointments(const std::vector<Appointment>& appointments) override;
  Status updateContact(const Contact& contact) override;
  Status updateAppointment(const Appointment& appointment) override;
  Status setContactPicture(uint32_t oid, std::string_view picture) override;
  Status removeItem(uint32_t oid) override;

 private:
  Result<Database*> db();
  // The items as stored (every one of `folder` when `oid` is negative, in oid order): a
  // series with a zone of its own has its start and end in it. `keep`, when given, sees
  // each item as it is read, may change it, and says whether it is kept.
  Result<std::vector<Item>> readItems(Database& db, ItemFolder folder, int64_t oid,
                                      const std::function<bool(Item&)>& keep = nullptr);
  // An item as callers see it: every time in device time.
  void toDeviceTime(Item& item);
  std::optional<ItemFolder> folderOf(Database& db, uint32_t oid);
  Result<uint32_t> newOid(Database& db, ItemFolder folder);
  // Runs `body` in one write transaction and, when it succeeds, posts `message` for
  // `folder` to the windows that asked for change messages.
  Status change(ItemFolder folder, uint32_t message, const std::function<Status(Database&)>& body);
  Status writeContact(Database& db, const Contact& c, bool insert);
  Status writeAppointment(Database& db, const Appointment& a, bool insert);
  // Tells every registered window of another process that `folder` changed.
  void announce(ItemFolder folder, uint32_t message);

  std::filesystem::path pimPath_;
  Database& registry_;
  Windows& windows_;
  Locale& locale_;
  Clock& clock_;
  ProcessId writer_;
  std::mutex openMutex_;
  std::unique_ptr<Database> db_;
};

}  // namespace zelko::platform::sim
