// VARN_installer: adds, changes and removes home-screen plugins in the layout files and
// the plugin order, or switches a layout's list view. Other installers call it with a
// command line such as
//
//   -addchange -silent -plg:\Program Files\X\X.plg -cpr:currentPortrait
//   -delete -plugin:X -cpr:currentLandscape -nochangecpr
//   -change -view:BronzeListView -cpr:\Windows\Titanium_480x800.cpr
//
// and read the outcome from HKEY_CURRENT_USER\SOFTWARE\VARN ("ErrorNumber",
// "ErrorDescription" and the values of the call). It links the platform only.
#pragma once

#include "platform/platform.h"

namespace zelko::varn {

// One run with the program's own command line. The exit code carries no meaning (callers
// read "ErrorNumber"), so there is none to return.
void runInstaller(platform::Platform& platform);

}  // namespace zelko::varn
