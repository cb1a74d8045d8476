// The optional pages of the plugin (-panels) and the check of a skin's layout file
// against the screen (-skin).
#pragma once

#include <string>
#include <string_view>

namespace zelko {
class Suite;
}

namespace zelko::tools {

// Asks whether to switch the page `page` (Page3, Page4 or Page5) on or off, and on Yes
// rebuilds the plugin's "Pages" in their fixed order. A page counts as on when its name
// stands anywhere in the list. 1 when the list was written, 0 when the user declined (or
// the list could not be written, which goes to the log).
int switchPanel(Suite& suite, const std::string& page);

// Whether a line of the layout file holds "<layout" with the screen's width and height
// ("screenWidth="480"", "screenHeight="800""), read in pieces of kLayoutReadUnits as the
// phone's line reader does. Fits: "SkinError" of the plugin key is empty; otherwise it
// holds the file's path. "Path" is set to the installation folder either way.
inline constexpr size_t kLayoutReadUnits = 254;
void checkSkin(Suite& suite, const std::string& layoutPath);

// The check itself: whether `text` has such a line for a screen of width x height.
bool layoutFits(std::string_view text, int width, int height);

}  // namespace zelko::tools
