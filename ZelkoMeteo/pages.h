// The weather program's page values: the header of the weather page, the status icons an
// update run shows while it works, and the images it resolves. Page values are written
// only in home-screen mode (-zelkotoday): the header does nothing outside it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ZelkoMeteo/feed_readers.h"

namespace zelko {
class Suite;
}

namespace zelko::meteo {

struct PageValue {
  std::string_view page;
  std::string_view name;
};

// The seven weather icons that show the status images during an update run.
inline constexpr std::array<PageValue, 7> kStatusIcons = {{{"Page1", "Icon0"},
                                                          {"Page1", "Icon"},
                                                          {"Page2", "IconA"},
                                                          {"Page2", "Icon1"},
                                                          {"Page2", "Icon2"},
                                                          {"Page2", "Icon3"},
                                                          {"Page2", "Icon4"}}};

class MeteoPages final : public ReadProgress {
 public:
  explicit MeteoPages(Suite& suite) : suite_(suite) {}

  // "Updated" "0", Page2 HeaderText, "Updated" "0" again: the batch stays open, its
  // closing "1" comes from whoever writes next.
  void header(std::string_view text) override;

  // The texts of the seven status icons, in their order.
  std::vector<std::string> statusIcons();
  // Writes the seven status icons (inside the caller's update bracket).
  void writeStatusIcons(const std::vector<std::string>& texts);

  // A status image (sync.png, load.png, null.png) of the skin's sys folder.
  std::string statusImage(std::string_view fileName);
  // A weather icon of the skin's meteo folder, with the provider's default folder.
  std::string weatherIcon(std::string_view fileName, std::string_view provider);

 private:
  bool homeScreen() const;

  Suite& suite_;
};

}  // namespace zelko::meteo
