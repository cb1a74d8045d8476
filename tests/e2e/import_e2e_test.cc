// zelko-device reg import, contacts import and calendar import as a user runs them: whole
// files or nothing, clear one-line errors, and what real exporters write.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/e2e/e2e_fixture.h"

extern char** environ;

namespace zelko::testing {
namespace {

namespace fs = std::filesystem;

std::string dataFile(const std::string& name) {
  return (fs::path(__FILE__).parent_path().parent_path() / "data" / name).string();
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(dir() / "run.out"), readAll(dir() / "run.err")};
  }

  std::string writeFile(const std::string& name, const std::string& bytes) {
    auto path = dir() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
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

}  // namespace
}  // namespace zelko::testing
