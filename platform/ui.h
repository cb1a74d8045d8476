// What the programs show a person: the cursor, message and question boxes, popup menus,
// the contact chooser.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"

namespace zelko::platform {

enum class Cursor { kArrow, kWait };

struct MenuItem {
  std::string label;
  int id = 0;                   // the command number (above 0) of a command item
  std::vector<MenuItem> items;  // a submenu's items; a submenu has id 0 and may be empty
};

struct ContactChoice {
  uint32_t oid = 0;
  std::string number;
};

class Ui {
 public:
  Ui() = default;
  Ui(const Ui&) = delete;
  Ui& operator=(const Ui&) = delete;
  virtual ~Ui() = default;

  // Sets the cursor and returns the one it replaces.
  virtual Cursor setCursor(Cursor cursor) = 0;
  virtual void messageBox(const std::string& caption, const std::string& text) = 0;
  // true for Yes.
  virtual bool askYesNo(const std::string& caption, const std::string& text) = 0;
  // Shows a popup menu at (x, y) and waits for the person; the chosen command's id, or
  // nullopt when the person taps outside or `timeout` passes.
  virtual std::optional<int> popupMenu(const std::vector<MenuItem>& items, int x, int y,
                                       std::chrono::milliseconds timeout) = 0;
  // Lets the person pick a contact's telephone number; nullopt when cancelled.
  virtual std::optional<ContactChoice> chooseContact() = 0;
};

}  // namespace zelko::platform
