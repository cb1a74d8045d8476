// Copying the default skin and the suite's settings file from the build into a device.
#pragma once

#include <filesystem>

#include "platform/files.h"
#include "platform/status.h"

namespace zelko::device {

struct SkinInstall {
  int files = 0;            // files copied under \Program Files\ZelkoToday\skins\default
  bool iniWritten = false;  // false when the device already had a ZelkoToday.ini
};

// Copies BUILD/skins/default/... to \Program Files\ZelkoToday\skins\default\... (images
// replaced, so a rebuilt skin reaches the device) and BUILD/skins/ZelkoToday.ini to
// \Program Files\ZelkoToday\ZelkoToday.ini only when the device has none: that file holds
// the user's settings and a reinstall must not undo them. NotFound when the build has no
// skin yet; IoError when a file cannot be read or written (files copied before stay).
platform::Result<SkinInstall> installSkins(const std::filesystem::path& buildDir, platform::Files& files);

}  // namespace zelko::device
