#include "VARN_installer/plugin_order.h"

#include <algorithm>
#include <vector>

namespace zelko::varn {
namespace {

std::vector<std::string_view> splitNames(std::string_view list) {
  std::vector<std::string_view> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = std::min(list.find(';', start), list.size());
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

struct Order {
  OrderFault fault = OrderFault::kNone;
  std::vector<std::string_view> names;
  std::string_view after;  // what follows the list's closing quote
};

// The list ends at its closing quote: a ";" after it is not a separator of names.
Order splitOrder(std::string_view xml) {
  size_t open = xml.find('"');
  if (open == std::string_view::npos) return {OrderFault::kNoOpeningQuote, {}, {}};
  size_t close = xml.find('"', open + 1);
  if (close == std::string_view::npos) return {OrderFault::kNoClosingQuote, {}, {}};
  return {OrderFault::kNone, splitNames(xml.substr(open + 1, close - open - 1)), xml.substr(close + 1)};
}

std::string element(const std::string& list, std::string_view after) {
  return "<Plugins Order=\"" + list + "\"" + std::string(after);
}

std::string join(const std::vector<std::string_view>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += ';';
    out += names[i];
  }
  return out;
}

std::string joinWithout(const std::vector<std::string_view>& names, std::string_view name) {
  std::string out;
  bool previousDropped = false;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0 && !previousDropped) out += ';';
    previousDropped = names[i] == name;
    if (!previousDropped) out += names[i];
  }
  return out;
}

}  // namespace

OrderEdit addToOrder(std::string_view extensibilityXml, std::string_view plugins,
                     std::string_view name, uint64_t position) {
  Order order = splitOrder(extensibilityXml);
  if (order.fault != OrderFault::kNone) return {order.fault, {}, {}, false};
  if (std::find(order.names.begin(), order.names.end(), name) != order.names.end()) {
    return {OrderFault::kNone, std::string(extensibilityXml), std::string(plugins), true};
  }
  std::vector<std::string_view> names = order.names;
  names.insert(names.begin() + static_cast<long>(std::min<uint64_t>(position, names.size())), name);
  std::string list(plugins);
  if (!list.empty() && list.back() != ';') list += ';';
  list += name;
  return {OrderFault::kNone, element(join(names), order.after), list, false};
}

OrderEdit removeFromOrder(std::string_view extensibilityXml, std::string_view plugins,
                          std::string_view name) {
  Order order = splitOrder(extensibilityXml);
  if (order.fault != OrderFault::kNone) return {order.fault, {}, {}, false};
  return {OrderFault::kNone, element(joinWithout(order.names, name), order.after),
          joinWithout(splitNames(plugins), name), false};
}

}  // namespace zelko::varn
