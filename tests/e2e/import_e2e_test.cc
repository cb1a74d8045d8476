// zelko-device's contacts, calendar and reg commands as a user and a watching program see
// them: imports whole or nothing, clear one-line errors, and what real exporters write.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/spawned.h"

extern char** environ;

namespace zelko::testing {
namespace {

namespace fs = std::filesystem;
using platform::ItemFolder;
using platform::Message;

std::string dataFile(const std::string& name) {
  return (fs::path(__FILE__).parent_path().parent_path() / "data" / name).string();
}

class ImportEndToEnd : public EndToEndTest {
 protected:
  // Starts zelko-device on this device with its output in files; the pid, or 0.
  pid_t start(const std::vector<std::string>& args) {
    std::vector<std::string> all = {(binDir() / "zelko-device").string(), "-d", (dir() / "device").string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string out = (dir() / "run.out").string(), err = (dir() / "run.err").string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
  }

  struct Outcome {
    int code;
    std::string out, err;
  };
  Outcome run(const std::vector<std::string>& args) {
    pid_t pid = start(args);
    int status = 0;
    if (pid) waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWhole(dir() / "run.out"), readWhole(dir() / "run.err")};
  }

  std::string writeFile(const std::string& name, const std::string& bytes) {
    auto path = dir() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  // The output of a command that must end with `expectedCode`.
  std::string cli(const std::vector<std::string>& args, int expectedCode = 0) {
    std::string out;
    EXPECT_EQ(tool(args, &out), expectedCode) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    return out;
  }

  size_t valuesBelow(const std::string& key) {
    auto& reg = platform().registry();
    size_t n = 0;
    for (const auto& sub : reg.subKeys(platform::Root::kCurrentUser, key)) {
      n += reg.values(platform::Root::kCurrentUser, key + "\\" + sub).size();
    }
    return n;
  }
};

class ItemsEndToEnd : public ImportEndToEnd {};

TEST_F(ImportEndToEnd, ARegImportKilledHalfWayChangesNothing) {
  constexpr int kKeys = 30000;
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (int i = 0; i < kKeys; ++i) {
    text += "[HKEY_CURRENT_USER\\Software\\Big\\K" + std::to_string(i) + "]\r\n\"V\"=\"" + std::string(100, 'x') + "\"\r\n";
  }
  std::string file = writeFile("big.reg", text);
  fs::path wal = dir() / "device" / "registry.db-wal";
  std::error_code ec;
  uintmax_t walBefore = fs::exists(wal, ec) ? fs::file_size(wal, ec) : 0;

  pid_t pid = start({"reg", "import", file});
  ASSERT_GT(pid, 0);
  // Kill it once it has written a good part of the file into the store's log.
  bool killed = false;
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < limit) {
    uintmax_t size = fs::exists(wal, ec) ? fs::file_size(wal, ec) : 0;
    if (!ec && size > walBefore + (1u << 20)) {
      killed = kill(pid, SIGKILL) == 0;
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(killed) << "the import ended before it could be killed";
  size_t stored = valuesBelow("Software\\Big");
  EXPECT_EQ(stored, 0u) << "a killed import left part of the file in the registry";
}

TEST_F(ImportEndToEnd, ImportsNameTheFileAndItsProblemInOneLine) {
  std::string utf16 = writeFile("utf16.txt", std::string("B\0E\0G\0I\0N\0:\0V\0", 14));
  std::string large = writeFile("large.reg", "");
  fs::resize_file(large, (64u << 20) + 1);  // sparse: costs no disk
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"reg", "import", dir().string()}, dir().string() + ": no such file (it is a folder)"},
      {{"reg", "import", "/dev/urandom"}, "/dev/urandom: not a regular file"},
      {{"reg", "import", large}, large + ": the file is larger than 16 MB"},
      {{"calendar", "import", large}, large + ": the file is larger than 16 MB"},
      {{"contacts", "import", large}, large + ": the file is larger than 64 MB"},
      {{"reg", "import", (dir() / "missing.reg").string()}, (dir() / "missing.reg").string() + ": no such file"},
      {{"contacts", "import", utf16}, utf16 + ": line 1: the file is UTF-16 without a byte-order mark"},
      {{"calendar", "import", utf16}, utf16 + ": line 1: the file is UTF-16 without a byte-order mark"},
      {{"reg", "import", utf16}, utf16 + ": line 1: the file is UTF-16 without a byte-order mark"},
  };
  for (const auto& c : cases) {
    Outcome o = run(c.args);
    EXPECT_EQ(o.code, 1) << c.args[2];
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
}

TEST_F(ImportEndToEnd, MultiStringsAndExpandableStringsSurviveDumpExportAndImport) {
  ASSERT_EQ(run({"reg", "import", dataFile("desktop_editor_multi_string.reg")}).code, 0);
  Outcome dump = run({"reg", "dump", "HKCU", "Software\\Vendor"});
  EXPECT_NE(dump.out.find("\tFolders\tREG_MULTI_SZ\tPictures\\0Vacation 2023\\0Été à Nice\n"), std::string::npos)
      << dump.out;
  EXPECT_NE(dump.out.find("\tRoot\tREG_EXPAND_SZ\t%USERPROFILE%\\Pictures\\Gadget\n"), std::string::npos) << dump.out;
  EXPECT_EQ(run({"reg", "get", "HKCU", "Software\\Vendor\\Gadget\\Pictures", "Folders"}).out,
            "Pictures\nVacation 2023\nÉté à Nice\n");
  // Export and import again give the same values back.
  std::string exported = (dir() / "export.reg").string();
  ASSERT_EQ(run({"reg", "export", "HKCU", "Software\\Vendor", exported}).code, 0);
  ASSERT_EQ(run({"reg", "del", "HKCU", "Software\\Vendor"}).code, 0);
  ASSERT_EQ(run({"reg", "import", exported}).code, 0);
  EXPECT_EQ(run({"reg", "dump", "HKCU", "Software\\Vendor"}).out, dump.out);
}

TEST_F(ImportEndToEnd, SkipBadImportsTheGoodCardsAndNamesTheOthers) {
  std::string file = dataFile("phone_six_cards_bad_photo.vcf");
  Outcome strict = run({"contacts", "import", file});
  EXPECT_EQ(strict.code, 1);
  EXPECT_NE(strict.err.find("line 27: PHOTO: bad base64 data"), std::string::npos) << strict.err;
  EXPECT_EQ(run({"contacts", "list"}).out, "") << "a failed import adds nothing";

  Outcome lenient = run({"contacts", "import", "--skip-bad", file});
  EXPECT_EQ(lenient.code, 0);
  EXPECT_EQ(lenient.out, "5\n");
  EXPECT_EQ(lenient.err, file + ": skipped: line 27: PHOTO: bad base64 data\n");
}

TEST_F(ImportEndToEnd, ARecurringImportKeepsItsZoneInTheList) {
  ASSERT_EQ(run({"calendar", "import", dataFile("desktop_sydney_weekdays.ics")}).out, "1\n");
  ASSERT_EQ(run({"calendar", "import", dataFile("groupware_monthly_rdate.ics")}).out, "1\n");
  std::string list = run({"calendar", "list"}).out;
  // The device is in UTC: the first stand-up, 09:30 in Sydney, is 22:30 the day before.
  EXPECT_NE(list.find("\t2023-12-31 22:30\t2023-12-31 23:00\ttimed\tStand-up\tLevel 3, Sydney office\t\t"
                      "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR\t2024-01-26 09:30\t\tAustralia/Sydney\n"),
            std::string::npos)
      << list;
  EXPECT_NE(list.find("\t2024-12-03 10:00\t2024-11-05 16:00,2024-11-21 10:00,2024-12-12 10:00,2025-01-17 10:00\t"
                      "America/Los_Angeles\n"),
            std::string::npos)
      << list;
}

TEST_F(ItemsEndToEnd, AWatchingWindowHearsOfEveryChangeWithItsFolder) {
  std::vector<Message> seen;
  auto& windows = platform().windows();
  ASSERT_TRUE(windows.registerClass("ItemsWatcher", [&](const Message& m) {
    if (m.message >= platform::kItemAdded && m.message <= platform::kItemChanged) seen.push_back(m);
    return int64_t{0};
  }).ok());
  auto window = windows.createWindow("ItemsWatcher", "watcher");
  ASSERT_TRUE(window.ok());
  auto& items = platform().items();
  ASSERT_TRUE(items.enableChangeNotifications(ItemFolder::kCalendar, *window).ok());
  ASSERT_TRUE(items.enableChangeNotifications(ItemFolder::kContacts, *window).ok());

  std::string oid = cli({"contacts", "add", "--first", "Ann", "--last", "Lee"});
  cli({"contacts", "del", oid.substr(0, oid.size() - 1)});
  cli({"calendar", "add", "--subject", "Dentist", "--start", "2024-06-12 09:00"});
  waitFor([&] {
    windows.pumpMessages(std::chrono::milliseconds(50));
    return seen.size() >= 3;
  });
  std::vector<std::pair<uint32_t, int64_t>> got;
  for (const Message& m : seen) got.emplace_back(m.message, m.lParam);
  EXPECT_EQ(got, (std::vector<std::pair<uint32_t, int64_t>>{
                     {platform::kItemAdded, 10}, {platform::kItemDeleted, 10}, {platform::kItemAdded, 9}}));
}

TEST_F(ItemsEndToEnd, AddedItemsAreListedWithEveryField) {
  std::string picture = writeFile("face.png", std::string("\x89PNG\r\n\x1a\n", 8));
  std::string oid = cli({"contacts", "add", "--first", "Zoë", "--last", "Ng", "--mobile", "+33 6 12 34 56 78",
                         "--home", "01 23", "--business", "09 87", "--birthday", "1984-02-29",
                         "--anniversary", "2010-06-19", "--categories", "Friends", "--picture", picture});
  EXPECT_EQ(cli({"contacts", "list"}),
            oid.substr(0, oid.size() - 1) +
                "\tZoë\tNg\t+33 6 12 34 56 78\t01 23\t09 87\t1984-02-29\t2010-06-19\tFriends\tyes\n");

  std::string a = cli({"calendar", "add", "--subject", "Yoga\tclass", "--location", "Hall", "--start",
                       "2024-03-04 18:00", "--end", "2024-03-04 19:15", "--rrule", "FREQ=WEEKLY;BYDAY=MO"});
  std::string b = cli({"calendar", "add", "--subject", "Trip", "--start", "2024-08-01", "--end", "2024-08-03",
                       "--all-day", "--categories", "Travel"});
  auto id = [](const std::string& line) { return line.substr(0, line.size() - 1); };
  EXPECT_EQ(cli({"calendar", "list"}),
            id(a) + "\t2024-03-04 18:00\t2024-03-04 19:15\ttimed\tYoga\\tclass\tHall\t\tFREQ=WEEKLY;BYDAY=MO\t\t\t\n" +
                id(b) + "\t2024-08-01 00:00\t2024-08-04 00:00\tall-day\tTrip\t\tTravel\t\t\t\t\n");
}

TEST_F(ItemsEndToEnd, BadInputIsRefusedAndAddsNothing) {
  std::string goodThenBad = writeFile("bad.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Good;One;;;\r\nEND:VCARD\r\n"
                                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nBDAY:1980-13-01\r\nEND:VCARD\r\n");
  cli({"contacts", "import", goodThenBad}, 1);
  std::string badIcs = writeFile("bad.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20240101T100000Z\r\n"
                                            "END:VEVENT\r\nBEGIN:VEVENT\r\nDTSTART:nonsense\r\nEND:VEVENT\r\n"
                                            "END:VCALENDAR\r\n");
  cli({"calendar", "import", badIcs}, 1);
  cli({"contacts", "import", (dir() / "missing.vcf").string()}, 1);
  cli({"contacts", "add", "--first", "A", "--last", "B", "--picture", (dir() / "missing.png").string()}, 1);
  cli({"contacts", "add", "--first", "A", "--last", "B", "--birthday", "1980-02-30"}, 2);
  cli({"contacts", "add", "--first", "A"}, 2);
  cli({"calendar", "add", "--subject", "S", "--start", "2024-01-01 25:00"}, 2);
  cli({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00", "--end", "2024-01-01 09:00"}, 2);
  cli({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00", "--rrule", "FREQ=SOMETIMES"}, 2);
  // Numbers libical would wrap round, and an all-day item whose last day is before its first.
  cli({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00", "--rrule", "FREQ=DAILY;COUNT=99999999999"},
      2);
  cli({"calendar", "add", "--subject", "S", "--all-day", "--start", "2024-05-10", "--end", "2024-05-09"}, 2);
  EXPECT_EQ(cli({"contacts", "list"}), "");
  EXPECT_EQ(cli({"calendar", "list"}), "");

  // Deleting goes by kind: a contact command never removes an appointment.
  std::string oid = cli({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00"});
  oid.pop_back();
  cli({"contacts", "del", oid}, 1);
  cli({"calendar", "del", "4000000"}, 1);
  cli({"calendar", "del", "x"}, 2);
  cli({"calendar", "del", oid});
  EXPECT_EQ(cli({"calendar", "list"}), "");
}

}  // namespace
}  // namespace zelko::testing
