// Action strings written for others to run (menu files): the program must receive exactly
// the arguments the writer meant, whatever numbers and texts they carry. An action goes
// through expandMacros, splitAction and the program's command-line split before the
// program sees it; a blank in a number, a ";" or a double quote in a text would otherwise
// hand it another number or another text than the menu shows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/special_folders.h"

namespace zelko {

struct ActionArgument {
  std::string text;     // as the program must receive it: "-sms:06 12 34", "-zelkotoday"
  bool quoted = false;  // written with the text after its first colon in double quotes
                        // even without a blank in it, as -text:"..." is always written
};

// `program`, then ";" and the arguments separated by blanks ("|" instead of ";" when an
// argument holds a ";"). An argument with a blank or tab, or marked quoted, is written
// with the text after its first colon (or all of it) in double quotes. The result is
// checked by taking it apart again as it will be run, with `folders` for its macros; when
// that does not give back `program` and exactly these arguments (a double quote in an
// argument, both separators, a line break, a macro, a part longer than an action allows),
// nullopt: no spelling carries them, and the writer leaves the action out.
std::optional<std::string> exactAction(std::string_view program,
                                       const std::vector<ActionArgument>& arguments,
                                       const SpecialFolders& folders);

}  // namespace zelko
