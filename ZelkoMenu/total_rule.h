// The total menu: a menu file named ZelkoTotal.mnu lists its first four commands in the
// order messages, calls, e-mail, voicemail. When everything unread is of one kind, that
// kind's command runs at once instead of showing the menu.
#pragma once

#include <optional>
#include <string_view>

namespace zelko::platform {
class Registry;
}

namespace zelko::menu {

// Whether the menu file's path names the total menu (case-sensitive).
bool isTotalMenu(std::string_view menuPath);

// The command to run at once, from the unread counters the data engine writes to Page1
// ("Total", "Sms", "Tel", "Email", "Voicemail"): 100 when Total is at least 1 and equals
// Sms, else 101 for Tel, 102 for Email, 103 for Voicemail; nullopt when none matches and
// the menu is shown. A counter reads as its leading digits, a missing one as 0.
std::optional<int> totalCommand(platform::Registry& registry);

}  // namespace zelko::menu
