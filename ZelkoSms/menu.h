// The popup menu of a listed text: the menu file ZelkoSms.mnu that ZelkoMenu shows, with
// view, mark, reply, the prepared texts of SMS.txt, the calls and delete.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/ini_document.h"

namespace zelko {
class Suite;
}

namespace zelko::sms {

struct MessageRecord;

// An action of a menu file holds at most this many UTF-16 units: ZelkoMenu keeps no more.
inline constexpr size_t kMaxMenuActionUnits = 127;

// The prepared texts: the non-empty lines of SMS.txt in the installation folder, line
// breaks of any kind and a closing end-of-file character taken off. None when the file
// cannot be read.
std::vector<std::string> preparedTexts(Suite& suite);

// The menu document for record n. Labels come from section ZelkoToday of the suite INI
// document. An item whose action could not hand its number or text to the program whole,
// or would be too long for ZelkoMenu, is left out: a menu never sends another text, or to
// another number, than it shows.
IniDocument buildMenu(Suite& suite, const MessageRecord& record, int n,
                      const std::vector<std::string>& texts);

// Loads the suite INI document, writes ZelkoSms.mnu for record n of `storeName` into the
// installation folder and starts ZelkoMenu on it.
void showMenu(Suite& suite, std::string_view storeName, int n);

}  // namespace zelko::sms
