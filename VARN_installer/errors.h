// The installer's numbered failures. Callers read the number from the status record's
// "ErrorNumber" and the text from "ErrorDescription"; the numbers are the program's own.
#pragma once

#include <string>

namespace zelko::varn {

struct InstallError {
  int number = 0;
  std::string text;  // with its number: "#63 Didn't found correct resolution in .plg to inject"

  // The text without its "#N " prefix, as the first box of a command-line error shows it.
  std::string withoutNumber() const;
};

// The error of that number with its text. Numbers 62, 70 and 170 carry two texts:
// `second` picks the other one ("#62 Position of Plugin in plg not found", "#70 No
// ExtensibilityXML in CHome found", "#170 No ExtensibilityXML in CHome found").
InstallError installError(int number, bool second = false);

}  // namespace zelko::varn
