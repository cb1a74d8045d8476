// The images of the pages themselves, which only change with the skin.
#include <string>

#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"

namespace zelko::engine {

void Widgets::pageDecorations() {
  ValueStore& values = suite_.values();
  UpdateBracket bracket(values);
  values.writeText(host::kPage1, "CalPNG", image(WidgetKind::kClock, "cal.png"));
  values.writeText(host::kPage1, "SysPNG", image(WidgetKind::kSys, "Sys.png"));
  values.writeText(host::kPage1, "BG", image(WidgetKind::kSys, "bg.png"));
  for (int page = 1; page <= 5; ++page) {
    std::string name = "Page" + std::to_string(page);
    values.writeText(name, "Bkg", image(WidgetKind::kSys, "Bkg" + std::to_string(page) + ".png"));
    values.writeText(name, "PagesPNG",
                     image(WidgetKind::kSys, "pages" + std::to_string(page) + ".png"));
  }
}

}  // namespace zelko::engine
