// The home screen's plugin order: the element of "ExtensibilityXML" and "DefaultXML"
// (`<Plugins Order="A;B;C" CPRFileName="Titanium" />`, the names between its first two
// double quotes) and the list "Plugins" ("A;B;C").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelko::varn {

enum class OrderFault { kNone, kNoOpeningQuote, kNoClosingQuote };

struct OrderEdit {
  OrderFault fault = OrderFault::kNone;
  std::string element;         // the new order element
  std::string plugins;         // the new "Plugins"
  bool alreadyListed = false;  // adding a plugin the order holds: both stay as they were
};

// The new element starts with `<Plugins Order="`, lists the names, and keeps whatever
// followed the old list's closing quote. Empty names (a list that ended in ";") are
// passed over.
//
// Adds `name` at the front for position 0, after the position-th name, or last when the
// order is shorter; "Plugins" gets it at its end.
OrderEdit addToOrder(std::string_view extensibilityXml, std::string_view plugins,
                     std::string_view name, uint64_t position);
// Drops every entry equal to `name`. A ";" stands before each name after the first unless
// the name before it was dropped, so dropping the last name leaves a ";" at the end.
OrderEdit removeFromOrder(std::string_view extensibilityXml, std::string_view plugins,
                          std::string_view name);

}  // namespace zelko::varn
