// The installer's three actions on a layout file and the home screen's plugin order. Each
// edits the layout into the temporary file first; the layout file is replaced from it
// all at once, and only when the whole edit succeeded.
#pragma once

#include <optional>
#include <string>

#include "VARN_installer/errors.h"
#include "VARN_installer/status_record.h"
#include "platform/platform.h"

namespace zelko::varn {

// What the command line and the option handling settled for the action.
struct Call {
  std::string definitionPath;  // add-or-change: the .plg file
  std::string layoutPath;      // the .cpr file
  bool landscape = false;
  bool currentLayout = false;  // a named layout option: the home screen's own layout
  bool forbidden = false;      // the layout is on the forbidden list
  std::string plugin;          // delete
  bool toBronze = false;       // change: " -view:BronzeListView"
  bool toTitanium = false;     // change: " -view:TitaniumListView"
  bool keepLayout = false;     // " -nochangecpr"
  bool keepHomeValues = false; // " -nochangechomereg"
  platform::ScreenSize screen; // as read at start
};

// Each returns the first error (nullopt on success) and records "ListView" and, for the
// first two, the home screen's values before and after in the status record.
std::optional<InstallError> addOrChange(platform::Platform& platform, StatusRecord& status,
                                        const Call& call);
std::optional<InstallError> deletePlugin(platform::Platform& platform, StatusRecord& status,
                                         const Call& call);
std::optional<InstallError> changeListView(platform::Platform& platform, StatusRecord& status,
                                           const Call& call);

}  // namespace zelko::varn
