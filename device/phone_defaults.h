// What a new device holds before anything of the suite is installed: the home screen's
// own values and layout file, and the state values of an idle phone.
#pragma once

#include "platform/platform.h"
#include "platform/status.h"

namespace zelko::device {

// The plugins of the home screen, in screen order.
inline constexpr char kDefaultPluginOrder[] =
    "ZelkoToday;Clock;Home;Messaging;Email;Calendar;Music;Pictures;Settings";
inline constexpr char kLayoutBaseName[] = "Titanium";

// Writes the values and files; `width` x `height` is the screen in portrait.
platform::Status writePhoneDefaults(platform::Platform& platform, int width, int height);

// The home screen's layout files of one screen size, one for each orientation
// ("\Windows\Titanium_480x800.cpr" and "\Windows\Titanium_800x480.cpr"); a file that is
// there already is kept.
platform::Status writeDefaultLayouts(platform::Files& files, platform::ScreenSize size);

}  // namespace zelko::device
