// Skin archives made by real tools (Python's zipfile, Info-ZIP zip), unpacked with
// ZelkoTools -unzip: folders, read-only files, MS-DOS attributes, stored and deflated
// entries and their times arrive as made; damaged entries leave nothing behind and
// hostile names nothing outside the destination.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kSkins[] = "\\Program Files\\ZelkoToday\\skins";

class UnzipEndToEnd : public EndToEndTest {
 protected:
  // Paris, so that MS-DOS times taken in the wrong zone show.
  platform::sim::DeviceOptions options() override { return inZone("Europe/Paris"); }
  void SetUp() override {
    EndToEndTest::SetUp();
    ASSERT_EQ(tool({"install"}), 0);
    work_ = dir() / "work";
    fs::create_directories(work_);
  }
  // Runs a shell command in the work folder; its exit code.
  int sh(const std::string& command) {
    std::string line = "cd '" + work_.string() + "' && " + command;
    int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Makes work/NAME with a Python script that has `zipfile`, `sys` (with `argument` as
  // sys.argv[2]) and `z`, the archive open for writing.
  void python(const std::string& name, const std::string& body, const std::string& argument = "") {
    std::ofstream(work_ / "make.py") << "import zipfile, sys\n"
                                     << "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                     << body << "\nz.close()\n";
    ASSERT_EQ(sh("python3 make.py " + name + " '" + argument + "'"), 0) << body;
  }
  // Copies work/NAME into the device and unpacks it into `folder` (quoted: it may hold
  // blanks); the tool's exit code.
  int unzip(const std::string& name, const std::string& folder) {
    fs::copy_file(work_ / name, hostFile("\\Temp\\" + name), fs::copy_options::overwrite_existing);
    return tool({"exec", "--wait", "\\Program Files\\ZelkoToday\\ZelkoTools.exe",
                 "-unzip -zipfile:\\Temp\\" + name + " \"-dirpath:" + folder + "\""});
  }
  fs::path host(const std::string& devicePath) { return platform().files().hostPath(devicePath); }
  std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
  }
  struct stat info(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(lstat(p.c_str(), &st), 0) << p;
    return st;
  }
  // Every file and folder below `root`, relative, sorted.
  std::vector<std::string> tree(const fs::path& root) {
    std::vector<std::string> out;
    for (auto& e : fs::recursive_directory_iterator(root)) out.push_back(e.path().lexically_relative(root).string());
    std::sort(out.begin(), out.end());
    return out;
  }

  fs::path work_;
};

// A symbolic link stored with -y is not unpacked.
TEST_F(UnzipEndToEnd, InfoZipArchivesKeepFoldersReadOnlyFilesAndTimesButNoLinks) {
  ASSERT_EQ(sh("mkdir -p Night/sys Night/empty && seq 1 3000 > Night/sys/battery_1.png && "
               "echo ro > Night/readonly.txt && chmod 444 Night/readonly.txt && ln -s /etc/passwd Night/passwd && "
               "touch -d '2021-06-01 12:00:00 UTC' Night/sys/battery_1.png Night/readonly.txt && "
               "zip -qry deflated.zip Night && zip -qry0 stored.zip Night"), 0);
  for (const char* archive : {"deflated.zip", "stored.zip"}) {
    SCOPED_TRACE(archive);
    const std::string dest = std::string(kSkins) + "\\" + archive;
    EXPECT_EQ(unzip(archive, dest), 1);
    const fs::path out = host(dest) / "Night";
    EXPECT_EQ(tree(host(dest)), (std::vector<std::string>{"Night", "Night/empty", "Night/readonly.txt", "Night/sys",
                                                           "Night/sys/battery_1.png"}));
    EXPECT_EQ(read(out / "sys/battery_1.png"), read(work_ / "Night/sys/battery_1.png"));
    EXPECT_EQ(info(out / "readonly.txt").st_mode & 0777, 0444u);
    EXPECT_EQ(info(out / "sys/battery_1.png").st_mode & 0777, 0644u);
    // The extended time stamp: the very second, not the MS-DOS two.
    EXPECT_EQ(info(out / "sys/battery_1.png").st_mtime, 1622548800);
    EXPECT_TRUE(fs::is_directory(out / "empty"));
  }
}

TEST_F(UnzipEndToEnd, PythonArchivesWithMsDosAttributesAndLocalTimes) {
  python("dos.zip", R"(
def entry(name, attr, method=zipfile.ZIP_DEFLATED):
    i = zipfile.ZipInfo(name, date_time=(2024, 1, 15, 10, 30, 0))
    i.create_system = 0
    i.external_attr = attr
    i.compress_type = method
    return i
z.writestr(entry('Day/', 0x10), '')
z.writestr(entry('Day/sys/locked.png', 0x21), 'l' * 600)
z.writestr(entry('Day/plain.txt', 0x20, zipfile.ZIP_STORED), 'plain')
)");
  EXPECT_EQ(unzip("dos.zip", kSkins), 1);
  const fs::path out = host(kSkins) / "Day";
  EXPECT_EQ(read(out / "sys/locked.png"), std::string(600, 'l'));
  EXPECT_EQ(info(out / "sys/locked.png").st_mode & 0777, 0444u);
  EXPECT_EQ(read(out / "plain.txt"), "plain");
  EXPECT_EQ(info(out / "plain.txt").st_mode & 0777, 0644u);
  // 10:30 in Paris in January is 09:30 UTC.
  EXPECT_EQ(info(out / "plain.txt").st_mtime, 1705311000);
  // The default skin beside it is untouched.
  EXPECT_TRUE(fs::exists(host(kSkins) / "default"));
}

TEST_F(UnzipEndToEnd, ADamagedEntryLeavesNothingAndTheOthersArrive) {
  python("damaged.zip", R"(
z.writestr('Dusk/first.png', 'first' * 50)
z.writestr('Dusk/second.png', 'second' * 50, compress_type=zipfile.ZIP_DEFLATED)
z.writestr('Dusk/third.png', 'third' * 50)
z.close()
# Flip a byte in the middle of the second entry's data.
z = zipfile.ZipFile(sys.argv[1])
i = z.getinfo('Dusk/second.png')
data = bytearray(open(sys.argv[1], 'rb').read())
start = i.header_offset + 30 + len(i.filename) + len(i.extra)
data[start + i.compress_size // 2] ^= 0x55
open(sys.argv[1], 'wb').write(data)
z = zipfile.ZipFile('unused.zip', 'w')
)");
  // An earlier version of the damaged file stays as it was.
  std::ofstream(hostFile(std::string(kSkins) + "\\Dusk\\second.png")) << "old";
  EXPECT_EQ(unzip("damaged.zip", kSkins), 1);
  const fs::path out = host(kSkins) / "Dusk";
  EXPECT_EQ(tree(out), (std::vector<std::string>{"first.png", "second.png", "third.png"}));
  EXPECT_EQ(read(out / "second.png"), "old");
  EXPECT_EQ(read(out / "third.png").size(), 250u);

  // Not an archive at all, or none: nothing is made.
  std::ofstream(work_ / "text.zip") << "PK but not really";
  EXPECT_EQ(unzip("text.zip", "\\Temp\\text"), 1);
  EXPECT_FALSE(fs::exists(host("\\Temp\\text")));
  EXPECT_EQ(tool({"exec", "--wait", "\\Program Files\\ZelkoToday\\ZelkoTools.exe", "-unzip -zipfile:\\Temp\\none.zip"}),
            1);
}

TEST_F(UnzipEndToEnd, HostileNamesAndLinksNeverWriteOutsideTheDestination) {
  const fs::path outside = dir() / "outside";
  fs::create_directories(outside);
  python("hostile.zip", R"(
for name in ['../evil1', 'a/../../evil2', '\\..\\evil3', 'C:\\Windows\\evil4', '/etc/evil5',
             '..\\..\\skins\\ok.png', 'x/../../../../evil6', 'a/b/..', 'bad:name', 'a\x01b']:
    z.writestr(name, 'payload')
link = zipfile.ZipInfo('link')
link.create_system = 3
link.external_attr = 0o120777 << 16
z.writestr(link, sys.argv[2])
z.writestr('link/evil7', 'payload')
z.writestr('out/evil8', 'payload')
)", outside.string());
  // The archive's link names the outside folder, and so does a link in the destination.
  fs::create_directories(host("\\Temp\\dest"));
  fs::create_directory_symlink(outside, host("\\Temp\\dest") / "out");
  EXPECT_EQ(unzip("hostile.zip", "\\Temp\\dest"), 1);
  EXPECT_TRUE(fs::is_empty(outside));
  EXPECT_TRUE(fs::is_symlink(host("\\Temp\\dest") / "out")) << "left as it was, not written through";
  // Nothing landed anywhere else on the device either.
  EXPECT_EQ(tree(host("\\Temp")), (std::vector<std::string>{"dest", "dest/Windows", "dest/Windows/evil4", "dest/etc",
                                                            "dest/etc/evil5", "dest/evil1", "dest/evil2",
                                                            "dest/evil3", "dest/evil6", "dest/link",
                                                            "dest/link/evil7", "dest/out", "dest/skins",
                                                            "dest/skins/ok.png", "hostile.zip"}));
}

}  // namespace
}  // namespace zelko::testing
