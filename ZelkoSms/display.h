// What the text-message page Page4 shows: five message slots, the newest text while it is
// unread, the unread count in the header, and the information panel.
#pragma once

#include <string>
#include <string_view>

namespace zelko {
class Suite;
}

namespace zelko::sms {

// Writes the slots from the records under the store name "Sms", hides the information
// panel and writes the header from the phone's unread count, in one update bracket.
void display(Suite& suite);

// Shows record n of `storeName` in the information panel of Page4, or hides the panel
// when it is shown.
void toggleInfos(Suite& suite, std::string_view storeName, int n);

// The full path of an image of the skin's sys folder, with the default skin's as the
// fall-back.
std::string sysImage(Suite& suite, std::string_view fileName);

}  // namespace zelko::sms
