#include "tests/e2e/sms_fixture.h"

#include <fstream>
#include <iterator>

namespace zelko::testing {
namespace {

constexpr char kFolder[] = "\\Program Files\\ZelkoToday\\";
constexpr char kRecords[] = "Software\\Zelko\\Sms";

std::string shown(const platform::Result<platform::RegValue>& v) {
  if (!v.ok()) return "<missing>";
  return v->type == platform::ValueType::kDword ? std::to_string(v->dword) : v->text;
}

std::string firstLine(const std::string& out) { return out.substr(0, out.find('\n')); }

}  // namespace

platform::sim::DeviceOptions SmsEndToEnd::options() { return inZone("Europe/Paris"); }

void SmsEndToEnd::SetUp() {
  EndToEndTest::SetUp();
  ASSERT_EQ(tool({"install"}), 0);
  ASSERT_EQ(tool({"clock", "set", "2026-03-24 09:05"}), 0);
}

int SmsEndToEnd::sms(const std::string& params) {
  auto r = platform().shell().execute(
      {std::string(kFolder) + "ZelkoSms.exe", params, true, std::chrono::seconds(60)});
  return r.ok() && r->exitCode ? *r->exitCode : -1;
}

std::string SmsEndToEnd::run(const std::vector<std::string>& args) {
  std::string out;
  EXPECT_EQ(tool(args, &out), 0) << args[0] << " " << (args.size() > 1 ? args[1] : "");
  return out;
}

std::string SmsEndToEnd::receive(const std::string& from, const std::string& text,
                                 const std::string& at, bool read) {
  std::vector<std::string> args = {"sms", "receive", "--from", from, "--text", text, "--at", at};
  if (read) args.push_back("--read");
  return firstLine(run(args));
}

std::string SmsEndToEnd::contact(const std::string& first, const std::string& last,
                                 const std::string& mobile, const std::string& home,
                                 const std::string& business, const std::string& picture) {
  std::vector<std::string> args = {"contacts", "add", "--first", first, "--last", last,
                                   "--mobile", mobile, "--home", home, "--business", business};
  if (!picture.empty()) {
    auto file = dir() / ("picture-" + first + ".jpg");
    std::ofstream(file, std::ios::binary) << picture;
    args.insert(args.end(), {"--picture", file.string()});
  }
  return firstLine(run(args));
}

std::string SmsEndToEnd::record(int n, const std::string& name) {
  return shown(platform().registry().getValue(
      platform::Root::kCurrentUser, std::string(kRecords) + "\\Sms" + std::to_string(n), name));
}

std::string SmsEndToEnd::total() {
  return shown(platform().registry().getValue(platform::Root::kCurrentUser, kRecords, "total"));
}

std::string SmsEndToEnd::page(const std::string& name, const std::string& pageName) {
  return shown(platform().registry().getValue(
      platform::Root::kLocalMachine, "Software\\Microsoft\\CHome\\ZelkoToday\\" + pageName, name));
}

std::string SmsEndToEnd::pageImage(const std::string& name, const std::string& pageName) {
  std::string path = page(name, pageName);
  return path.substr(path.rfind('\\') + 1);
}

std::string SmsEndToEnd::installedFile(const std::string& name) {
  std::ifstream in(hostFile(kFolder + name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SmsEndToEnd::writeInstalled(const std::string& name, const std::string& bytes) {
  std::ofstream(hostFile(kFolder + name), std::ios::binary) << bytes;
}

}  // namespace zelko::testing
