#include "ZelkoMenu/total_rule.h"

#include <array>
#include <climits>

#include "ZelkoMenu/menu_file.h"
#include "common/host.h"
#include "common/value_store.h"

namespace zelko::menu {
namespace {

constexpr std::string_view kTotalMenuName = "ZelkoTotal.mnu";
// In the order of the total menu's first four commands.
constexpr std::array<std::string_view, 4> kKindCounters = {"Sms", "Tel", "Email", "Voicemail"};

// The counter's leading decimal digits; anything else, a sign or a blank included, is 0.
long long leadingDigits(std::string_view text) {
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (value < INT_MAX) value = value * 10 + (c - '0');  // saturates past the int range
  }
  return value;
}

long long counter(platform::Registry& registry, std::string_view name) {
  return leadingDigits(regReadText(registry, platform::Root::kLocalMachine,
                                   host::pageKey(host::kPage1), name));
}

}  // namespace

bool isTotalMenu(std::string_view menuPath) {
  return menuPath.find(kTotalMenuName) != std::string_view::npos;
}

std::optional<int> totalCommand(platform::Registry& registry) {
  long long total = counter(registry, "Total");
  if (total < 1) return std::nullopt;
  for (size_t i = 0; i < kKindCounters.size(); ++i) {
    if (counter(registry, kKindCounters[i]) == total) return kFirstCommandId + static_cast<int>(i);
  }
  return std::nullopt;
}

}  // namespace zelko::menu
