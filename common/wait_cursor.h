// The wait cursor a run-once program shows while it works, and the cursor it replaced put
// back on every way out.
#pragma once

#include "platform/ui.h"

namespace zelko {

class WaitCursor {
 public:
  explicit WaitCursor(platform::Ui& ui) : ui_(ui), previous_(ui.setCursor(platform::Cursor::kWait)) {}
  ~WaitCursor() { ui_.setCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  platform::Ui& ui_;
  platform::Cursor previous_;
};

}  // namespace zelko
