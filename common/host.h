// What the suite relies on of the touch home screen that hosts the ZelkoToday plugin:
// its registry values, its window classes and the plugin's page names. The home screen
// belongs to the platform; these are the only places the suite touches it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::platform {
class Registry;
}

namespace zelko::host {

// All under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kHomeKey = "Software\\Microsoft\\CHome";
inline constexpr std::string_view kPluginName = "ZelkoToday";
inline constexpr std::string_view kPluginKey = "Software\\Microsoft\\CHome\\ZelkoToday";

// Values of kHomeKey.
inline constexpr std::string_view kEnabled = "Enabled";                    // DWORD
inline constexpr std::string_view kExtensibilityXml = "ExtensibilityXML";  // text
inline constexpr std::string_view kDefaultXml = "DefaultXML";              // text
inline constexpr std::string_view kPlugins = "Plugins";                    // text
inline constexpr std::string_view kCprFile = "CPRFile";                    // text
// Value of a plugin's key: its page names in order, separated by ";".
inline constexpr std::string_view kPages = "Pages";
// Text value of the plugin key that brackets each batch of page writes.
inline constexpr std::string_view kUpdated = "Updated";

// Window classes, compared exactly: the top-level window, its child, and that one's
// child, which takes the focus keys.
inline constexpr std::string_view kDesktopWindowClass = "DesktopExplorerWindow";
inline constexpr std::string_view kPluginWindowClass = "CHSPlugin";
inline constexpr std::string_view kFocusWindowClass = "Confetti";

// The plugin's pages. The empty page name stands for the plugin key itself.
inline constexpr std::string_view kPage1 = "Page1";
inline constexpr std::string_view kPage2 = "Page2";
inline constexpr std::string_view kPage3 = "Page3";
inline constexpr std::string_view kPage4 = "Page4";
inline constexpr std::string_view kPage5 = "Page5";
inline constexpr std::string_view kCondensedPage = "CondensedPage";
inline constexpr std::array<std::string_view, 6> kPageNames = {kPage1, kPage2, kPage3,
                                                               kPage4, kPage5, kCondensedPage};

// The registry key of a page: kPluginKey, or kPluginKey, "\" and the page.
std::string pageKey(std::string_view page);

// Splits a list such as "Page1;Page2;Page3" at ";". Empty pieces are kept, so a
// position in the result matches the number of separators before it.
std::vector<std::string> splitList(std::string_view list);
// The pieces joined with ";", as splitList reads them.
std::string joinList(const std::vector<std::string>& pieces);

// The plugin order held by an ExtensibilityXML or DefaultXML text: the second non-empty
// piece when the text is split at double quotes. nullopt when there are fewer pieces.
std::optional<std::string> pluginOrder(std::string_view layoutXml);

// The layout file's base name that ExtensibilityXML names: the text between
// CPRFileName=" and the next double quote. nullopt when it is missing or unterminated.
std::optional<std::string> layoutFileBaseName(std::string_view layoutXml);

// Whether the home screen is switched on: 1 is on, 0 (also when the value is missing)
// is off, anything else is neither, which callers treat as "not on" and "not off".
enum class HomeScreenState { kOn, kOff, kUnknown };
HomeScreenState homeScreenState(platform::Registry& registry);

// The whole ExtensibilityXML text; empty when missing or not a text. Unlike regReadText
// this has no 254-unit limit: a home screen with a few plugins already holds a longer
// layout there, and a reader that gives up on it would never find a plugin.
std::string readExtensibilityXml(platform::Registry& registry);
// The page names of a plugin, from the "Pages" value of its key under kHomeKey (read
// whole, like ExtensibilityXML); empty when missing.
std::vector<std::string> readPluginPages(platform::Registry& registry, std::string_view plugin);

}  // namespace zelko::host
