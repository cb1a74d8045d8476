// Registering the ZelkoToday plugin with the home screen (-install) and removing the
// engine's persistent launches (-uninstall).
#pragma once

namespace zelko {
class Suite;
}

namespace zelko::tools {

// Replaces the plugin key HKLM\Software\Microsoft\CHome\ZelkoToday with the plugin's
// registration: its size, layout, pages, default skin folders and the actions of each
// page, then stops the persistent launches that earlier versions of the engine
// registered. Expects the skin folders loaded (Settings::loadSkinFolders): the images of
// Page1 come from the skin in use before the key was replaced. A value that cannot be
// written is skipped and logged.
void install(Suite& suite);

// Stops the engine's persistent launches "ZelkoTitanium" and "ZelkoWinToday". The plugin
// key and the suite's records stay.
void uninstall(Suite& suite);

}  // namespace zelko::tools
