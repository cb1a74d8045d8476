// What the programs show a person. The cursor is kept per program. A dialog is answered
// by the oldest answer queued for its kind with `zelko-device ui`; without one, in the
// home screen's browser while one is connected (ui_host.h); else by the person at the
// terminal when stdin is a terminal; otherwise a question box counts as No, a popup menu
// stays open until its time-out (taking an answer queued meanwhile) and a contact chooser
// is cancelled. Every dialog goes to the journal with its answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/journal.h"
#include "platform/sim/ui_answers.h"
#include "platform/sim/ui_host.h"
#include "platform/ui.h"

namespace zelko::platform::sim {

// One number the contact chooser offers at a terminal.
struct ChooserEntry {
  uint32_t oid = 0;
  std::string name;    // as the list shows the contact
  std::string number;
};
using ChooserSource = std::function<std::vector<ChooserEntry>()>;

class SimUi final : public Ui {
 public:
  // `host` is null where no browser can host dialogs.
  SimUi(Journal& journal, UiAnswers& answers, ChooserSource contacts, UiHost* host = nullptr)
      : journal_(journal), answers_(answers), contacts_(std::move(contacts)), host_(host) {}

  // How long a question box or contact chooser shown in the browser waits for the person.
  static constexpr std::chrono::minutes kBrowserAnswerLimit{2};

  Cursor setCursor(Cursor cursor) override;
  void messageBox(const std::string& caption, const std::string& text) override;
  bool askYesNo(const std::string& caption, const std::string& text) override;
  std::optional<int> popupMenu(const std::vector<MenuItem>& items, int x, int y,
                               std::chrono::milliseconds timeout) override;
  std::optional<ContactChoice> chooseContact() override;

 private:
  // The oldest queued answer of `kind`; nullopt when none waits or the queue cannot be
  // read (which the journal then records).
  std::optional<std::string> queued(DialogKind kind);
  // The dialog shown in the home screen's browser: `shown` is false when no browser is
  // connected; `answer` is empty when the person gave none within `limit`.
  struct Hosted {
    bool shown = false;
    std::optional<std::string> answer;
  };
  Hosted askHost(DialogKind kind, const std::function<std::string()>& body,
                 std::chrono::milliseconds limit);
  std::vector<ChooserEntry> contacts();
  std::optional<int> menuFromTerminal(const std::vector<MenuItem>& items,
                                      std::chrono::milliseconds timeout);
  std::optional<ContactChoice> contactFromTerminal();

  Journal& journal_;
  UiAnswers& answers_;
  ChooserSource contacts_;
  UiHost* host_;
  Cursor cursor_ = Cursor::kArrow;
};

// Reads a queued chooser answer, "OID NUMBER" (the number may hold blanks); nullopt for
// "cancel" or anything else.
std::optional<ContactChoice> parseContactChoice(const std::string& answer);

}  // namespace zelko::platform::sim
