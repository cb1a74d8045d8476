// The engine and the two item providers together, as installed on a phone: the engine
// starts the providers at start-up, whenever the contacts or the calendar change and at
// midnight, and their pages follow.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/e2e/provider_e2e_fixture.h"

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;
using testing::kHomeKey;

constexpr char kContactsExe[] = "\\Program Files\\ZelkoToday\\ZelkoContacts.exe";
constexpr char kCalendarExe[] = "\\Program Files\\ZelkoToday\\ZelkoCalendar.exe";

class ProvidersEngineEndToEnd : public testing::ProviderEndToEnd {
 protected:
  platform::sim::DeviceOptions options() override { return frenchPhone(); }
  void SetUp() override {
    ProviderEndToEnd::SetUp();
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, "Enabled",
                                               RegValue::Dword(1)).ok());
    clock("2026-03-24 23:50");
  }
  void TearDown() override {
    if (HasFailure()) {
      for (const auto& e : device().journal().read()) std::fprintf(stderr, "%s\n", e.json.c_str());
    }
    // Nothing may start the engine again while it stops. A launch the engine did not
    // register is no failure here.
    for (const char* launch : {"ZelkoTitanium", "ZelkoWinToday"}) {
      platform::Status stopped = platform().notifications().stopLaunch(launch);
      EXPECT_TRUE(stopped.ok() || stopped.code() == platform::Status::Code::kNotFound) << stopped.message();
    }
    EXPECT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, "Enabled",
                                               RegValue::Dword(0)).ok());
    if (platform::WindowHandle w = platform().windows().findWindow("ZelkoToday")) {
      EXPECT_TRUE(platform().windows().postMessage({w, 1127, 0, 0}).ok());
    }
    EXPECT_TRUE(waitFor([&] { return !platform().windows().findWindow("ZelkoToday"); }));
    ProviderEndToEnd::TearDown();
  }

  // Waits until the page value shows `text`; false (with what it shows) when it never does.
  ::testing::AssertionResult shows(const std::string& pageName, const std::string& name,
                                   const std::string& text) {
    std::string got;
    if (waitFor([&] { return (got = page(pageName, name)) == text; }, std::chrono::seconds(15))) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << pageName << " " << name << " shows \"" << got << "\"";
  }
  // Launches of a provider by the engine, each started and ended with the provider's code.
  size_t runs(const std::string& program, const std::string& params, int code) {
    size_t n = 0;
    for (const std::string& e : launches(program, params)) {
      size_t at = e.find("\"pid\":");
      if (e.find("\"ok\":true") == std::string::npos || at == std::string::npos) continue;
      n += exitCodeOf(std::atoi(e.c_str() + at + 6)) == code;
    }
    return n;
  }
  size_t contactRuns() { return runs(kContactsExe, "-zelkotoday", 1); }
  size_t calendarRuns() { return runs(kCalendarExe, "-max:5 -days:30 -zelkotoday", 0); }
  // Every provider the engine started has ended (the engine itself stays).
  bool settled() {
    return waitFor([&] {
      for (const std::string& e : journalEvents("launch")) {
        size_t at = e.find("\"pid\":");
        bool provider = e.find("ZelkoContacts.exe") != std::string::npos ||
                        e.find("ZelkoCalendar.exe") != std::string::npos;
        if (provider && !exitCodeOf(std::atoi(e.c_str() + at + 6))) return false;
      }
      return true;
    }, std::chrono::seconds(15));
  }
};

TEST_F(ProvidersEngineEndToEnd, StoreChangesAndMidnightRefillTheProvidersPages) {
  ASSERT_EQ(tool({"contacts", "add", "--first", "Ann", "--last", "Lee", "--birthday", "1990-03-24"}), 0);
  ASSERT_EQ(tool({"calendar", "add", "--subject", "Dentist", "--start", "2026-03-25 10:00"}), 0);
  ASSERT_EQ(run("ZelkoToday.exe", "-update"), 1);
  EXPECT_TRUE(shows("Page5", "LabelA", "24/03/2026 : 36\nLee Ann"));
  EXPECT_TRUE(shows("Page1", "Event", "24/03/2026 : 36\nLee Ann"));
  EXPECT_TRUE(shows("Page3", "LabelA", "25/03/2026 10:00 - 1h\nDentist"));
  EXPECT_TRUE(shows("Page3", "HeaderText", "1"));
  ASSERT_TRUE(settled());
  size_t contacts = contactRuns(), calendars = calendarRuns();
  EXPECT_GE(contacts, 1u);
  EXPECT_GE(calendars, 1u);

  // A change to either store starts its provider again.
  ASSERT_EQ(tool({"contacts", "add", "--first", "Bob", "--last", "Roy", "--birthday", "1980-03-24"}), 0);
  EXPECT_TRUE(shows("Page5", "Label1", "24/03/2026 : 46\nRoy Bob"));
  ASSERT_EQ(tool({"calendar", "add", "--subject", "Call", "--start", "2026-03-24 23:59", "--end",
                  "2026-03-25 00:30"}), 0);
  EXPECT_TRUE(shows("Page3", "LabelA", "23:59 > 25/03/2026  31\nCall"));
  EXPECT_TRUE(shows("Page1", "Rdv2", "25/03/2026 10:00 - 1h Dentist"));
  ASSERT_TRUE(settled());
  EXPECT_GE(contactRuns(), contacts + 1);
  EXPECT_GE(calendarRuns(), calendars + 1);
  contacts = contactRuns();
  calendars = calendarRuns();

  // Midnight: today's birthdays move to next year, tomorrow's appointment is today's.
  ASSERT_EQ(tool({"clock", "set", "2026-03-25 00:00"}), 0);
  EXPECT_TRUE(shows("Page5", "LabelA", "24/03/2027 : 37\nLee Ann"));
  EXPECT_TRUE(shows("Page3", "LabelA", "24/03/2026 23:59 >  31\nCall"));
  EXPECT_TRUE(shows("Page3", "Label1", "10:00 - 1h\nDentist"));
  ASSERT_TRUE(settled());
  EXPECT_GE(contactRuns(), contacts + 1);
  EXPECT_GE(calendarRuns(), calendars + 1);
}

}  // namespace
}  // namespace zelko
