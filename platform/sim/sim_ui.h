// What the programs show a person. The cursor is kept per program; dialogs and menus go
// to the journal so that a test, or a person reading the journal, sees what was shown.
#pragma once

#include "platform/sim/journal.h"
#include "platform/ui.h"

namespace zelko::platform::sim {

class SimUi final : public Ui {
 public:
  explicit SimUi(Journal& journal) : journal_(journal) {}

  Cursor setCursor(Cursor cursor) override;
  void messageBox(const std::string& caption, const std::string& text) override;
  bool askYesNo(const std::string& caption, const std::string& text) override;
  std::optional<int> popupMenu(const std::vector<MenuItem>& items, int x, int y,
                               std::chrono::milliseconds timeout) override;
  std::optional<ContactChoice> chooseContact() override;

 private:
  Journal& journal_;
  Cursor cursor_ = Cursor::kArrow;
};

}  // namespace zelko::platform::sim
