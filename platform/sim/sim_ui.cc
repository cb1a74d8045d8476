#include "platform/sim/sim_ui.h"

#include "platform/sim/stub.h"

namespace zelko::platform::sim {

Cursor SimUi::setCursor(Cursor cursor) {
  Cursor previous = cursor_;
  cursor_ = cursor;
  return previous;
}

void SimUi::messageBox(const std::string& caption, const std::string& text) {
  journal_.record("dialog", {JsonField::Text("caption", caption), JsonField::Text("text", text),
                             JsonField::Text("answer", "ok")});
}

bool SimUi::askYesNo(const std::string& caption, const std::string& text) {
  // Nobody can answer yet: a question box left alone counts as No.
  journal_.record("dialog", {JsonField::Text("caption", caption), JsonField::Text("text", text),
                             JsonField::Text("answer", "no")});
  return false;
}

std::optional<int> SimUi::popupMenu(const std::vector<MenuItem>&, int, int,
                                    std::chrono::milliseconds) {
  reportStub(journal_, "ui", "popupMenu");
  return std::nullopt;
}

std::optional<ContactChoice> SimUi::chooseContact() {
  reportStub(journal_, "ui", "chooseContact");
  return std::nullopt;
}

}  // namespace zelko::platform::sim
