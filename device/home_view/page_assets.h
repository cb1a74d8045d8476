// The page of the browser view, its style and its script (page/), built into zelko-device.
#pragma once

#include <string_view>

namespace zelko::device::home {

// The page; "{{screen}}" stands where the screen as it is goes.
extern const std::string_view kHomeHtml;
extern const std::string_view kHomeCss;
extern const std::string_view kHomeJs;

}  // namespace zelko::device::home
