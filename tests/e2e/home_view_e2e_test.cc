// The home screen served to browsers, driven through its HTTP requests and event stream:
// what it shows, pushes and refuses to serve, taps, keys and dialogs, bad layouts, many
// connections and a browser that never reads.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "device/home_view/layout.h"
#include "tests/e2e/home_fixture.h"

namespace zelko::testing {
namespace {

using std::chrono::seconds;

class HomeViewEndToEnd : public HomeDeviceTest {
 protected:
  // The image addresses a drawing names.
  static std::vector<std::string> images(const std::string& html) {
    std::vector<std::string> out;
    std::regex src("src=\"(/image\\?[^\"]+)\"");
    for (std::sregex_iterator it(html.begin(), html.end(), src), end; it != end; ++it) {
      out.push_back(std::regex_replace((*it)[1].str(), std::regex("&amp;"), "&"));
    }
    return out;
  }
  std::string lastJournal(const std::string& event) {
    auto all = journalEvents(event);
    return all.empty() ? "<none>" : all.back();
  }
};

// A connected socket to the server that sends nothing; -1 when it cannot connect.
int openSilentConnection(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

TEST_F(HomeViewEndToEnd, PageShowsTheSuiteAndItsImagesAndNothingElseOfTheDevice) {
  startEngine();
  ServedHome served(dir() / "device");
  ASSERT_NE(served.port(), 0) << served.output();
  EventStream events(served.port());
  ASSERT_TRUE(events.next("screen", "Thursday 31 December"));
  std::string page;
  ASSERT_EQ(get(served, "/", &page), 200);
  EXPECT_NE(page.find("Thursday 31 December"), std::string::npos);
  EXPECT_NE(page.find(">42%<"), std::string::npos);
  EXPECT_NE(page.find("data-plugin=\"ZelkoToday\" data-position=\"0\" data-page=\"Page1\""), std::string::npos);
  EXPECT_NE(page.find("data-plugin=\"Clock\""), std::string::npos);  // the others, condensed
  std::vector<std::string> shown = images(page);
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(page.find("battery_3.png"), std::string::npos);
  std::string bytes;
  ASSERT_EQ(get(served, shown.front(), &bytes), 200) << shown.front();
  EXPECT_EQ(bytes.substr(1, 3), "PNG");

  // Only images inside the device's files: no climbing out, no link out, no other file.
  std::filesystem::path fs = dir() / "device" / "fs";
  std::filesystem::create_symlink(dir() / "device" / "registry.db", fs / "Windows" / "out.png");
  std::filesystem::create_directories(fs / "Windows" / "folder.png");
  std::ofstream(fs / "Windows" / "real.png") << "png";
  for (const char* refused :
       {"\\..\\registry.db", "\\..\\..\\etc\\passwd", "/../../registry.db", "\\Windows\\out.png",
        "\\Windows\\folder.png", "\\Program Files\\ZelkoToday\\ZelkoToday.ini",
        "\\Program Files\\ZelkoToday\\ZelkoToday.exe", "\\Windows\\real.png%00.ini", ""}) {
    EXPECT_EQ(get(served, std::string("/image?path=") + refused), 404) << refused;
  }
  EXPECT_EQ(get(served, "/image?path=%5CWINDOWS%5CREAL.PNG"), 200);  // names match without case
  EXPECT_EQ(get(served, "/nothing-here"), 404);
  EXPECT_EQ(served.stop(), 0) << served.output();  // SIGTERM ends it cleanly
}

TEST_F(HomeViewEndToEnd, BatchesAndFocusMovesArePushed) {
  startEngine();
  ServedHome served(dir() / "device");
  ASSERT_NE(served.port(), 0) << served.output();
  EventStream events(served.port());
  ASSERT_TRUE(events.next("screen", "battery_3.png"));

  // Above the critical level: a critical battery starts the radio switcher, whose own batch
  // would come in the middle of what follows.
  ASSERT_EQ(tool({"battery", "50", "--no-ac"}), 0);
  EXPECT_TRUE(events.next("screen", "battery_4.png")) << "the engine's batch was not pushed";

  // A value written outside a batch waits for the batch's end.
  setPageText("", "Updated", "0");
  setPageText("Page1", "BattVal", "77%");
  EXPECT_FALSE(events.next("screen", ">77%<", std::chrono::milliseconds(600)));
  setPageText("", "Updated", "1");
  EXPECT_TRUE(events.next("screen", ">77%<"));

  // Keys from the page move the home screen's focus, which the page follows.
  ASSERT_EQ(post(served, "/key", "key=right"), 200);
  EXPECT_TRUE(events.next("screen", "data-page=\"Page2\""));
  ASSERT_EQ(post(served, "/key", "key=down"), 200);
  EXPECT_TRUE(events.next("screen", "class=\"plugin focused\" data-plugin=\"Clock\""));
  // A tap on a condensed plugin brings it into focus.
  ASSERT_EQ(post(served, "/tap", "plugin=ZelkoToday&position=0&page=&x=10&y=10"), 200);
  EXPECT_TRUE(events.next("screen", "class=\"plugin focused\" data-plugin=\"ZelkoToday\""));
  std::string home;
  ASSERT_EQ(tool({"home"}, &home), 0);
  EXPECT_NE(home.find("plugin\tZelkoToday\npage\tPage1"), std::string::npos) << home;

  // Only the page changes the device: a request without its header is refused.
  EXPECT_EQ(post(served, "/key", "key=down", nullptr, false), 403);
  EXPECT_EQ(post(served, "/key", "key=sideways"), 400);
  EXPECT_EQ(served.stop(), 0);
}

TEST_F(HomeViewEndToEnd, TapsRunThePagesActionsAndDialogsComeToThePage) {
  startEngine();
  ServedHome served(dir() / "device");
  ASSERT_NE(served.port(), 0) << served.output();
  EventStream events(served.port());
  ASSERT_TRUE(events.next("dialogs", "[]"));

  // The soft key of Page4, from the page and from the command line.
  ASSERT_EQ(post(served, "/key", "key=right"), 200);
  ASSERT_EQ(post(served, "/key", "key=right"), 200);
  ASSERT_EQ(post(served, "/key", "key=right"), 200);
  ASSERT_TRUE(events.next("screen", ">SMS</div>"));
  ASSERT_EQ(post(served, "/tap", "plugin=ZelkoToday&position=0&page=Page4&softkey=2&x=400&y=770"), 200);
  EXPECT_NE(lastJournal("tap").find(R"("target":"softkey","action":"\\Windows\\tmail.exe;-service \"SMS\"","x":400,"y":770)"),
            std::string::npos)
      << lastJournal("tap");
  EXPECT_TRUE(waitFor([&] { return lastJournal("launch").find("tmail.exe") != std::string::npos; }));
  std::string printed;
  EXPECT_EQ(tool({"tap", "Page3", "softkey", "--at", "10,20"}, &printed), 0);
  EXPECT_EQ(printed, ":MSCALENDAR\n");
  EXPECT_TRUE(waitFor([&] { return lastJournal("launch").find("poutlook.exe") != std::string::npos; }));
  EXPECT_EQ(tool({"tap", "Page9", "panel"}), 1);
  EXPECT_EQ(tool({"tap", "Page1", "corner"}), 2);

  // A popup menu opens in the page, and the person's choice goes back to it.
  writeDeviceFile("\\Program Files\\ZelkoToday\\t.mnu",
                  "[Menu]\r\nCall <555>=\\Windows\\tmail.exe;call\r\nTexts=[T]\r\n[T]\r\nSee you=\\Windows\\tmail.exe;see\r\n");
  ASSERT_EQ(tool({"exec", "\\Program Files\\ZelkoToday\\ZelkoMenu.exe", "t.mnu"}), 0);
  auto menu = events.next("dialogs", R"("kind":"menu")");
  ASSERT_TRUE(menu);
  EXPECT_NE(menu->data.find(R"({"label":"Call <555>","id":)"), std::string::npos) << menu->data;
  std::smatch id;
  ASSERT_TRUE(std::regex_search(menu->data, id, std::regex("\\[\\{\"id\":([0-9]+)")));
  ASSERT_EQ(post(served, "/answer", "dialog=" + id[1].str() + "&answer=Texts%20%3E%20See%20you"), 200);
  EXPECT_TRUE(events.next("dialogs", "[]"));
  EXPECT_TRUE(waitFor([&] { return lastJournal("menu").find(R"("chosen":"Texts > See you")") != std::string::npos; }));
  EXPECT_TRUE(waitFor([&] { return lastJournal("launch").find(R"("params":"see")") != std::string::npos; }));
  EXPECT_EQ(post(served, "/answer", "dialog=" + id[1].str() + "&answer=Call"), 404);  // closed already

  // A queued answer still comes first: the page never sees that menu.
  ASSERT_EQ(tool({"ui", "choose", "Call <555>"}), 0);
  ASSERT_EQ(tool({"exec", "--wait", "\\Program Files\\ZelkoToday\\ZelkoMenu.exe", "t.mnu"}), 0);
  EXPECT_NE(lastJournal("menu").find(R"("chosen":"Call <555>")"), std::string::npos);
  EXPECT_FALSE(events.next("dialogs", "menu", std::chrono::milliseconds(300)));
  EXPECT_EQ(served.stop(), 0);
}

TEST_F(HomeViewEndToEnd, BadLayoutFilesAreNamedInThePageAndServingGoesOn) {
  ServedHome served(dir() / "device");
  ASSERT_NE(served.port(), 0) << served.output();
  EventStream events(served.port());
  const std::string layout = readDeviceFile(kPortraitLayout);
  writeDeviceFile(kPortraitLayout, "this is <not XML");
  writeBatch("Page1", "BattVal", "1%");
  auto broken = events.next("screen", "cannot be drawn: it is not XML");
  ASSERT_TRUE(broken);
  EXPECT_NE(broken->data.find("data-plugin=\"Clock\""), std::string::npos);  // the plugins, as rows
  writeDeviceFile(kPortraitLayout, "<Form>" + std::string(10 << 20, ' ') + "</Form>");
  writeBatch("Page1", "BattVal", "2%");
  EXPECT_TRUE(events.next("screen", "it is larger than 1024 KB"));
  EXPECT_EQ(get(served, "/"), 200);
  writeDeviceFile(kPortraitLayout, layout);
  writeBatch("Page1", "BattVal", "3%");
  auto mended = events.next("screen", ">3%<");
  ASSERT_TRUE(mended);
  EXPECT_EQ(mended->data.find("class=\"problem\""), std::string::npos);
  EXPECT_EQ(served.stop(), 0);
}

TEST_F(HomeViewEndToEnd, AThousandIdleConnectionsAndAReaderThatNeverReadsLeaveTheOthersServed) {
  ServedHome served(dir() / "device");
  ASSERT_NE(served.port(), 0) << served.output();
  std::vector<int> idle;
  for (int i = 0; i < 1000; ++i) {
    int fd = openSilentConnection(served.port());
    ASSERT_GE(fd, 0) << "connection " << i;
    idle.push_back(fd);
  }
  // A stream whose reader never reads: its share of the pushes fills the buffers.
  int stuck = openSilentConnection(served.port());
  std::string request = "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  ASSERT_EQ(send(stuck, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
  EventStream reader(served.port());
  ASSERT_TRUE(reader.next("screen", "ZelkoToday"));
  // Form fields are read up to 8 KB; enough of them fill a loopback socket's buffers.
  const std::string big(7000, 'x');
  for (int i = 0; i < 800; ++i) {
    ASSERT_EQ(post(served, "/ping", "token=" + std::to_string(i) + big), 200) << i;
    ASSERT_TRUE(reader.next("pong", std::to_string(i) + "xxx")) << i;
  }
  std::string page;
  EXPECT_EQ(get(served, "/", &page), 200);
  EXPECT_NE(page.find("ZelkoToday"), std::string::npos);
  // The server gave up on the reader that never read: what it sent ends.
  timeval wait{20, 0};
  setsockopt(stuck, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  char buffer[65536];
  ssize_t got = 0;
  while ((got = recv(stuck, buffer, sizeof buffer, 0)) > 0) {
  }
  EXPECT_EQ(got, 0) << "the stream of the reader that never read was not closed";
  for (int fd : idle) close(fd);
  close(stuck);
  EXPECT_EQ(served.stop(), 0);
}

TEST_F(HomeViewEndToEnd, ThePluginsLayersAreInBothLayoutsAndTheTurnedScreenUsesItsOwn) {
  for (const char* path : {kPortraitLayout, kLandscapeLayout}) {
    auto layout = device::home::parseLayout(readDeviceFile(path));
    ASSERT_TRUE(layout.ok()) << path << ": " << layout.status().message();
    ASSERT_NE(layout->find("ZelkoToday"), nullptr) << path;
    EXPECT_EQ(layout->find("ZelkoToday")->expanded.pages.size(), 5u) << path;
    EXPECT_NE(layout->find("Clock"), nullptr) << path;  // the home screen's own plugins stay
  }
  ASSERT_EQ(tool({"screen", "800x480"}), 0);
  ServedHome served(dir() / "device");
  ASSERT_NE(served.port(), 0) << served.output();
  std::string screen;
  ASSERT_EQ(get(served, "/screen", &screen), 200);
  EXPECT_NE(screen.find("class=\"screen\" style=\"width:800px;height:480px"), std::string::npos) << screen.substr(0, 200);
  EXPECT_NE(screen.find("data-plugin=\"ZelkoToday\""), std::string::npos);
  EXPECT_EQ(screen.find("class=\"problem\""), std::string::npos);
  EXPECT_EQ(served.stop(), 0);
}

}  // namespace
}  // namespace zelko::testing
