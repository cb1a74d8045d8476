// The menu file of the popup menu (a .mnu file in the installation folder): INI text whose
// section "Menu" holds the items of the top-level menu. A value in brackets opens the
// section it names as a submenu ("[Text]" opens section "Text"); any other value is the
// action of a command item: an action string, or a navigation command ("#GOTO ...").
// The birthdays and text-message providers write such files; this program only reads.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_document.h"
#include "platform/ui.h"

namespace zelko::platform {
class Files;
}

namespace zelko::menu {

inline constexpr std::string_view kTopSection = "Menu";
// The file used when the program is started without a command line.
inline constexpr std::string_view kDefaultMenuFile = "ZelkoMenu.mnu";
// Menus (the top-level one included) and command items one menu file may make; whatever
// lies beyond is left out.
inline constexpr int kMaxMenus = 16;
inline constexpr size_t kMaxCommands = 64;
// The identifier of the first command item; the others follow in numbering order.
inline constexpr int kFirstCommandId = 100;

// Reads a menu file into `file` the way the INI reader does, except that a line longer
// than an INI line may hold is left out whole: the reader would take it in pieces, and a
// piece of a long label or action can read as an entry of its own, running a program that
// no item names. False when the file cannot be read (the document is then empty).
bool loadMenuFile(platform::Files& files, std::string_view path, IniDocument& file);
// The same for a text already read.
void parseMenuText(std::string_view text, IniDocument& file);

// How long an untouched menu stays open: "MenuOut" seconds of section "ZelkoMenu"
// (default 10). A negative value takes the default; the longest is what a timer of the
// phone can wait (0x7FFFFFFF milliseconds).
std::chrono::milliseconds menuTimeOut(const IniDocument& file);

struct MenuTree {
  // The items of the top-level menu, submenus holding theirs.
  std::vector<platform::MenuItem> items;
  // The actions of the command items in numbering order: item n has the identifier
  // kFirstCommandId + n.
  std::vector<std::string> actions;

  // The action of a command identifier; nullopt for 0 and for identifiers no item has.
  std::optional<std::string> action(int id) const;
};

// Builds the menus from section "Menu" down. Entries of a section keep the file's order,
// both occurrences of a repeated section count, and a label repeated within a section
// (compared without regard to case) is one item with the first label's place and text and
// the last action. Command items are numbered depth-first. A bracketed value opens its
// section only while no value opened before contains it (a case-sensitive substring
// test), which ends loops; past kMaxMenus menus or kMaxCommands commands the rest is left
// out. Labels are kept exactly as written: they are texts to show, never markup.
MenuTree buildMenuTree(const IniDocument& file);

}  // namespace zelko::menu
