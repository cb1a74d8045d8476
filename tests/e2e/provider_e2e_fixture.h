// A device with the built suite installed, for the providers' end-to-end tests: run a
// program as the shell does, and read what it left in the registry, the files and the
// journal.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sim/journal.h"
#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {

class ProviderEndToEnd : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    ASSERT_EQ(tool({"install"}), 0);
    // The phone's own programs, as zelko-device init puts them there.
    for (const char* standIn : {"\\Windows\\tmail.exe", "\\Windows\\poutlook.exe"}) {
      std::filesystem::copy_file(binDir() / "zelko-standin", hostFile(standIn));
    }
  }
  void TearDown() override {
    // Programs the providers started (the composer, the calendar, the menu) end before
    // their device goes.
    waitFor([&] { return launchesRunning() == 0; });
    EndToEndTest::TearDown();
  }

  static std::string installed(const std::string& file) { return kInstallFolder + file; }
  // A phone with a 24-hour locale away from UTC, so that a time read in the wrong zone
  // shows.
  static platform::sim::DeviceOptions frenchPhone() {
    platform::sim::DeviceOptions o = inZone("Europe/Paris");
    o.locale = "fr-FR";
    return o;
  }

  // Runs an installed program and waits for it; its exit code.
  int run(const std::string& exe, const std::string& params) {
    return tool({"exec", "--wait", installed(exe), params});
  }
  // What `zelko-device ARGS` printed, without the line break; "" when it failed.
  std::string output(const std::vector<std::string>& args) {
    std::string out;
    if (tool(args, &out) != 0) return "";
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  void clock(const std::string& local) { ASSERT_EQ(tool({"clock", "set", local}), 0); }

  // A value as text, a DWORD in decimal; "<missing>" when there is none.
  std::string value(platform::Root root, const std::string& key, const std::string& name) {
    auto v = platform().registry().getValue(root, key, name);
    if (!v.ok()) return "<missing>";
    return v->type == platform::ValueType::kDword ? std::to_string(v->dword) : v->text;
  }
  std::string record(const std::string& key, const std::string& name) {
    return value(platform::Root::kCurrentUser, "Software\\Zelko\\" + key, name);
  }
  // A page value; an image by its file name.
  std::string page(const std::string& pageName, const std::string& name) {
    std::string v = value(platform::Root::kLocalMachine,
                          "Software\\Microsoft\\CHome\\ZelkoToday\\" + pageName, name);
    return v.ends_with(".png") || v.ends_with(".jpg") ? v.substr(v.rfind('\\') + 1) : v;
  }
  // Several values of a record key or a page, as record() and page() show them.
  using Shown = std::vector<std::string>;
  Shown records(const std::string& key, const std::vector<std::string>& names) {
    Shown out;
    for (const std::string& name : names) out.push_back(record(key, name));
    return out;
  }
  Shown pages(const std::string& pageName, const std::vector<std::string>& names) {
    Shown out;
    for (const std::string& name : names) out.push_back(page(pageName, name));
    return out;
  }
  void setText(platform::Root root, const std::string& key, const std::string& name,
               const std::string& text) {
    ASSERT_TRUE(platform().registry().setValue(root, key, name, platform::RegValue::Text(text)).ok());
  }

  void writeFile(const std::string& devicePath, const std::string& bytes) {
    std::ofstream(hostFile(devicePath), std::ios::binary) << bytes;
  }
  std::string readFile(const std::string& devicePath) {
    std::ifstream in(hostFile(devicePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Journal launches of `program` (as the shell was asked for it) with exactly `params`.
  std::vector<std::string> launches(const std::string& program, const std::string& params) {
    std::vector<std::string> found;
    std::string wanted = "\"program\":" + platform::sim::jsonQuote(program) +
                         ",\"params\":" + platform::sim::jsonQuote(params) + ",";
    for (const std::string& e : journalEvents("launch")) {
      if (e.find(wanted) != std::string::npos) found.push_back(e);
    }
    return found;
  }
};

}  // namespace zelko::testing
