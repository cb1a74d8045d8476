#include "platform/sim/device.h"

#include <unicode/locid.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <random>

#include "platform/sim/device_clock.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/heartbeat.h"
#include "platform/sim/icu_locale.h"
#include "platform/sim/items_store.h"
#include "platform/sim/sim_connections.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_log.h"
#include "platform/sim/sim_http.h"
#include "platform/sim/sim_journal.h"
#include "platform/sim/sim_messaging.h"
#include "platform/sim/sim_notifications.h"
#include "platform/sim/sim_power.h"
#include "platform/sim/sim_radios.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_sync.h"
#include "platform/sim/sim_ui.h"
#include "platform/sim/sim_windows.h"
#include "platform/sim/ui_answers.h"
#include "platform/sim/ui_host.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace fs = std::filesystem;
namespace {

// The folders of a new phone's file system.
const char* const kFolders[] = {
    "Windows", "Program Files", "Program Files/ZelkoToday", "My Documents",
    "My Documents/My Music", "My Documents/My Video", "My Documents/My Pictures", "Temp",
};

bool knownLocale(const std::string& name) {
  std::string id = name;
  for (char& c : id) if (c == '-') c = '_';
  icu::Locale wanted(id.c_str());
  if (wanted.isBogus() || std::string(wanted.getLanguage()).empty()) return false;
  int32_t count = 0;
  const icu::Locale* all = icu::Locale::getAvailableLocales(count);
  for (int32_t i = 0; i < count; ++i) {
    if (std::string(all[i].getLanguage()) == wanted.getLanguage()) return true;
  }
  return false;
}

std::string randomId() {
  std::random_device rd;
  char buf[17];
  std::snprintf(buf, sizeof buf, "%08x%08x", rd(), rd());
  return buf;
}

// Where the built programs live: beside the running executable.
fs::path ownFolder() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).parent_path();
}

// What the contact chooser lists: every number of every contact, in the store's order.
std::vector<ChooserEntry> chooserEntries(Items& items) {
  std::vector<ChooserEntry> out;
  auto walk = items.find(ItemFolder::kContacts, "");
  if (!walk.ok()) return out;
  while (auto item = (*walk)->next()) {
    const Contact* c = std::get_if<Contact>(&*item);
    if (!c) continue;
    std::string name = c->lastName.empty() ? c->firstName
                       : c->firstName.empty() ? c->lastName
                                              : c->lastName + ", " + c->firstName;
    for (auto [number, kind] : {std::pair{&c->mobilePhone, " (mobile)"},
                                {&c->homePhone, " (home)"}, {&c->businessPhone, " (work)"}}) {
      if (!number->empty()) out.push_back({c->oid, name + kind, *number});
    }
  }
  return out;
}

class SimDevice final : public Device, public Platform {
 public:
  SimDevice(fs::path dir, std::unique_ptr<Database> reg, std::unique_ptr<Database> journalDb,
            TimeZone zone, ProgramIdentity identity)
      : dir_(std::move(dir)),
        regDb_(std::move(reg)),
        settings_(*regDb_),
        clock_(settings_, std::move(zone)),
        log_(dir_ / "run", identity.modulePath, clock_),
        journal_(std::move(journalDb), clock_, settings_.getInt("journal.limit", kDefaultJournalLimit)),
        locale_(settings_.get("locale", "en-US")),
        files_(dir_ / "fs"),
        runtime_(settings_.get("device-id", "device")),
        shell_(dir_, files_, journal_, *regDb_, std::move(identity)),
        notifications_(*regDb_, runtime_, shell_),
        registry_(*regDb_, [this](const ChangeSet& c) { notifications_.deliver(c); }),
        windows_(*regDb_, settings_, runtime_,
                 [this](uint64_t cookie) { notifications_.dispatch(cookie); }),
        sync_(dir_ / "run"),
        answers_(*regDb_),
        uiHost_(*regDb_, windows_, runtime_.self()),
        ui_(journal_, answers_, [this] { return chooserEntries(*items_); }, &uiHost_),
        power_(std::make_unique<SimPower>(settings_, registry_, dir_ / "fs")),
        connections_(settings_, registry_, journal_),
        radios_(std::make_unique<SimRadios>(settings_, registry_, journal_, connections_)),
        items_(std::make_unique<SimItems>(dir_ / "pim.db", *regDb_, windows_, locale_, clock_, runtime_.self())),
        messaging_(std::make_unique<SimMessaging>(dir_ / "messages.db", dir_ / "run", registry_,
                                                  journal_, clock_, settings_)),
        http_(std::make_unique<SimHttp>(files_, connections_)) {}

  const fs::path& dir() const override { return dir_; }
  Platform& platform() override { return *this; }
  Journal& journal() override { return journal_; }
  DeviceClock& deviceClock() override { return clock_; }
  DeviceSettings& settings() override { return settings_; }
  UiAnswers& uiAnswers() override { return answers_; }
  Status registryTransaction(const std::function<Status()>& body) override { return registry_.transaction(body); }
  UiHost& uiHost() override { return uiHost_; }
  Status tick() override { return heartbeat(registry_, clock_, shell_); }
  SimConnections& connections() override { return connections_; }

  Registry& registry() override { return registry_; }
  Notifications& notifications() override { return notifications_; }
  Shell& shell() override { return shell_; }
  Windows& windows() override { return windows_; }
  Sync& sync() override { return sync_; }
  Clock& clock() override { return clock_; }
  Locale& locale() override { return locale_; }
  Files& files() override { return files_; }
  Ui& ui() override { return ui_; }
  Power& power() override { return *power_; }
  Radios& radios() override { return *radios_; }
  Items& items() override { return *items_; }
  Messaging& messaging() override { return *messaging_; }
  Http& http() override { return *http_; }
  Log& log() override { return log_; }

 private:
  fs::path dir_;
  std::unique_ptr<Database> regDb_;
  DeviceSettings settings_;
  DeviceClock clock_;
  SimLog log_;
  SimJournal journal_;
  IcuLocale locale_;
  SimFiles files_;
  Runtime runtime_;
  SimShell shell_;
  SimNotifications notifications_;
  SimRegistry registry_;
  SimWindows windows_;
  SimSync sync_;
  UiAnswers answers_;
  UiHost uiHost_;
  SimUi ui_;
  std::unique_ptr<Power> power_;
  SimConnections connections_;
  std::unique_ptr<Radios> radios_;
  std::unique_ptr<Items> items_;
  std::unique_ptr<Messaging> messaging_;
  std::unique_ptr<Http> http_;
};

Result<std::unique_ptr<Device>> openWith(const fs::path& dir, int argc, char** argv) {
  std::error_code ec;
  if (!fs::exists(dir / "registry.db", ec)) {
    return Status::NotFound("no device in " + dir.string() + " (create one with: zelko-device init)");
  }
  auto reg = Database::openStore(dir / "registry.db", {"keys", "vals", "watches", "launches",
                                                      "windows", "timed_starts", "settings"});
  if (!reg.ok()) return reg.status();
  auto journal = Database::openStore(dir / "journal.db", {"events"});
  if (!journal.ok()) return journal.status();
  DeviceSettings settings(**reg);
  auto zone = TimeZone::open(settings.get("timezone", "UTC"));
  if (!zone.ok()) return zone.status();
  SimFiles files(dir / "fs");
  ProgramIdentity identity = takeProgramIdentity(argc, argv, files);
  return std::unique_ptr<Device>(
      new SimDevice(fs::absolute(dir), std::move(*reg), std::move(*journal), *zone, identity));
}

}  // namespace

Status Device::create(const fs::path& dir, const DeviceOptions& options) {
  std::error_code ec;
  if (fs::exists(dir / "registry.db", ec)) {
    return Status::Invalid(dir.string() + " already holds a device");
  }
  auto screen = parseScreenSize(options.screen);
  if (!screen) {
    return Status::Invalid("bad screen size " + options.screen + " (expected WIDTHxHEIGHT)");
  }
  if (!knownLocale(options.locale)) return Status::Invalid("unknown locale " + options.locale);
  if (options.journalLimit < 1) return Status::Invalid("the journal must keep at least one event");
  auto zone = TimeZone::open(options.timezone);
  if (!zone.ok()) return Status::Invalid("unknown time zone " + options.timezone);

  for (const char* sub : {"fs", "run", "bin"}) fs::create_directories(dir / sub, ec);
  for (const char* folder : kFolders) fs::create_directories(dir / "fs" / folder, ec);
  if (ec) return Status::IoError("cannot create " + dir.string() + ": " + ec.message());
  fs::path launcher = ownFolder() / "zelko-launch";
  if (fs::exists(launcher, ec)) {
    // A hard link when the build is on the same file system: the launcher is large, and
    // tests make many devices.
    fs::remove(dir / "bin" / "zelko-launch", ec);
    fs::create_hard_link(launcher, dir / "bin" / "zelko-launch", ec);
    if (ec) fs::copy_file(launcher, dir / "bin" / "zelko-launch", fs::copy_options::overwrite_existing, ec);
  }

  auto journal = Database::open(dir / "journal.db", true);
  if (!journal.ok()) return journal.status();
  Status s = SimJournal::createSchema(**journal);
  if (!s.ok()) return s;
  auto pim = Database::open(dir / "pim.db", true);
  if (!pim.ok()) return pim.status();
  s = SimItems::createSchema(**pim);
  if (!s.ok()) return s;
  auto messages = Database::open(dir / "messages.db", true);
  if (!messages.ok()) return messages.status();
  s = SimMessaging::createSchema(**messages);
  if (!s.ok()) return s;
  auto reg = Database::open(dir / "registry.db.new", true);
  if (!reg.ok()) return reg.status();
  Database& db = **reg;
  for (auto schema : {SimRegistry::createSchema, SimWindows::createSchema, SimShell::createSchema,
                      UiAnswers::createSchema}) {
    s = schema(db);
    if (!s.ok()) return s;
  }
  s = db.exec("CREATE TABLE IF NOT EXISTS settings(name TEXT PRIMARY KEY, value TEXT NOT NULL)");
  if (!s.ok()) return s;
  DeviceSettings settings(db);
  // A new device's clock stands still at the host's current minute until told to run.
  int64_t now = hostUtcMs() / 60000 * 60000;
  s = settings.set({{"device-id", randomId()}, {"screen", screenSizeText(*screen)},
                    {"locale", options.locale}, {"timezone", zone->name()},
                    {"clock.mode", "frozen"}, {"clock.base", std::to_string(now)},
                    {"clock.since", std::to_string(hostUtcMs())},
                    {"journal.limit", std::to_string(options.journalLimit)}});
  if (!s.ok()) return s;
  // Only the file is renamed below: it must hold everything.
  s = db.checkpoint();
  if (!s.ok()) return s;
  reg->reset();
  // The device exists once registry.db does: a half-made one is never opened.
  fs::remove(dir / "registry.db.new-wal", ec);
  fs::remove(dir / "registry.db.new-shm", ec);
  fs::rename(dir / "registry.db.new", dir / "registry.db", ec);
  if (ec) return Status::IoError("cannot create " + dir.string() + ": " + ec.message());
  return Status::Ok();
}

Result<std::unique_ptr<Device>> Device::open(const fs::path& dir) {
  char name[] = "zelko-device";
  char* argv[] = {name, nullptr};
  return openWith(dir, 1, argv);
}

Result<std::unique_ptr<Device>> Device::openForProgram(int argc, char** argv) {
  auto dir = locate();
  if (!dir) return Status::NotFound("no device: set ZELKO_DEVICE or run the program inside a device");
  return openWith(*dir, argc, argv);
}

std::optional<fs::path> Device::locate() {
  if (const char* env = std::getenv("ZELKO_DEVICE"); env && *env) return fs::path(env);
  // A program inside <device>/fs/... finds the device above its fs/ folder.
  for (fs::path p = ownFolder(); p.has_parent_path() && p != p.parent_path(); p = p.parent_path()) {
    std::error_code ec;
    if (p.filename() == "fs" && fs::exists(p.parent_path() / "registry.db", ec)) {
      return p.parent_path();
    }
  }
  return std::nullopt;
}

int runProgram(int argc, char** argv, std::string_view programName,
               const std::function<int(Platform&)>& body) {
  auto device = Device::openForProgram(argc, argv);
  if (!device.ok()) {
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(programName.size()), programName.data(),
                 device.status().message().c_str());
    return 2;
  }
  return body((*device)->platform());
}

}  // namespace zelko::platform::sim
