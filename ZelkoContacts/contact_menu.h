// The popup menu of one listed contact: ZelkoContacts.mnu in the installation folder,
// written as an INI document and opened with ZelkoMenu. Its items start this program again
// to call a number or to open the message composer, or ZelkoSms to send a prepared text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_document.h"
#include "common/special_folders.h"

namespace zelko::platform {
class Files;
}

namespace zelko {
class Suite;
}

namespace zelko::contacts {

inline constexpr std::string_view kMenuFile = "ZelkoContacts.mnu";

// The prepared messages of SMS.txt, one a line, without the line breaks; empty lines and
// the end-of-file mark old editors leave are left out. A missing file gives none.
std::vector<std::string> readPreparedTexts(platform::Files& files, std::string_view path);
// The same for the file's text.
std::vector<std::string> preparedTextLines(std::string_view text);

struct ContactNumbers {
  std::string mobile, home, business;
};

// The menu labels, texts of section ZelkoToday of the suite INI file.
struct MenuLabels {
  std::string sendSms = "SENDSMS";
  std::string myText = "MYTEXT";
  std::string call = "CALL";
};

// Section Menu: send a message, the prepared texts (a submenu of section Text) and a call
// to the mobile; calls to the home and business numbers. A label makes one item whatever
// its case: two equal numbers make one call entry, and of two prepared texts that differ
// only in case the first stays. A number or text that no action string carries whole (see
// exactAction; `folders` expand its macros), or that the menu file would not give back as
// written, gets no entry: a menu never calls another number, or sends another text, than
// its label shows.
IniDocument contactMenu(const ContactNumbers& numbers, const std::vector<std::string>& prepared,
                        const MenuLabels& labels, const SpecialFolders& folders);

// Rewrites the menu file for record `n` of the store and starts ZelkoMenu on it. A record
// that does not exist gives an empty menu.
void showContactMenu(Suite& suite, std::string_view store, int n);

}  // namespace zelko::contacts
