#include "ZelkoMeteo/text_scanner.h"

#include <string>


namespace zelko::meteo {

std::string_view elementText(std::string_view text, std::string_view name, size_t n) {
  const std::string open = "<" + std::string(name);
  size_t at = text.find(open);
  for (size_t i = 0; i < n && at != std::string_view::npos; ++i) at = text.find(open, at + 1);
  if (at == std::string_view::npos) return {};
  // The end is looked for after the opening name, never inside it.
  const size_t after = at + open.size();
  const std::string close = "</" + std::string(name) + ">";
  size_t end = text.find(close, after);
  if (end != std::string_view::npos) return text.substr(at, end + close.size() - at);
  end = text.find("/>", after);
  if (end != std::string_view::npos) return text.substr(at, end + 2 - at);
  return {};
}

std::string_view attributeOf(std::string_view text, std::string_view name, std::string_view attr) {
  std::string_view element = elementText(text, name, 0);
  size_t at = element.find(std::string(attr) + "=");
  if (at == std::string_view::npos) return {};
  size_t quote = at + attr.size() + 1;
  if (quote >= element.size() || element[quote] != '"') return {};
  size_t end = element.find('"', quote + 1);
  if (end == std::string_view::npos) return {};
  return element.substr(quote + 1, end - quote - 1);
}

size_t countElements(std::string_view text, std::string_view name) {
  const std::string open = "<" + std::string(name);
  size_t count = 0;
  for (size_t at = text.find(open); at != std::string_view::npos; at = text.find(open, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace zelko::meteo
