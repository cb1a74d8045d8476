// A dialog host of the device: the browser view of the home screen (`zelko-device home
// --serve`) owns a window of class kUiHostClass while it serves, and answers
// kWmUiHostBrowsers with the number of browsers connected to it. While one is, a program's
// question box, popup menu or contact chooser that no queued answer settles is recorded
// here (a row of registry.db with the dialog as JSON), the host is told with
// kWmUiHostDialogs, the page shows the dialog, and the person's answer is written to the
// dialog's row, where the waiting program takes it. The row goes when the program is done.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/db.h"
#include "platform/sim/process_info.h"
#include "platform/sim/ui_answers.h"
#include "platform/status.h"
#include "platform/windows.h"

namespace zelko::platform::sim {

inline constexpr std::string_view kUiHostClass = "ZelkoUiHost";
// Sent: the number of browsers connected to the host (0 while none is).
inline constexpr uint32_t kWmUiHostBrowsers = kWmUser + 0x301;
// Posted: a dialog opened or closed.
inline constexpr uint32_t kWmUiHostDialogs = kWmUser + 0x302;
// Posted by the home screen each time it draws: its focus moved.
inline constexpr uint32_t kWmUiHostDraw = kWmUser + 0x303;

struct OpenDialog {
  int64_t id = 0;
  DialogKind kind = DialogKind::kQuestion;
  std::string body;  // a JSON object: what the dialog shows
};

class UiHost {
 public:
  UiHost(Database& db, Windows& windows, ProcessId self) : db_(db), windows_(windows), self_(self) {}
  UiHost(const UiHost&) = delete;
  UiHost& operator=(const UiHost&) = delete;

  static Status createSchema(Database& db);

  // The host's window while a browser is connected to it; 0 otherwise.
  WindowHandle connected();

  // Shows a dialog through `host` and waits at most `limit` for the answer, taking one
  // that `queued` (the answers of `zelko-device ui`) gives meanwhile first. nullopt when
  // the limit passes or the dialog cannot be recorded (the journal's error says why).
  std::optional<std::string> ask(WindowHandle host, DialogKind kind, const std::string& body,
                                 std::chrono::milliseconds limit,
                                 const std::function<std::optional<std::string>()>& queued);

  // For the host: the dialogs open in programs that still run, oldest first.
  Result<std::vector<OpenDialog>> openDialogs();
  // For the host: the person's answer to a dialog. NotFound when it is no longer open or
  // was answered already.
  Status answer(int64_t id, std::string_view text);

 private:
  Result<int64_t> record(DialogKind kind, const std::string& body);
  Result<std::optional<std::string>> answerOf(int64_t id);
  void remove(int64_t id);
  void tell(WindowHandle host);

  Database& db_;
  Windows& windows_;
  ProcessId self_;
};

}  // namespace zelko::platform::sim
