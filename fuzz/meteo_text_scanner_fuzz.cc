// Cuts elements and attributes out of arbitrary text the way the Google reader does, and
// looks for the map image in it the way the map page reader does: every piece found is a
// part of the text of the promised shape, and nothing loops or crashes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ZelkoMeteo/feed_text.h"
#include "ZelkoMeteo/map_page.h"
#include "ZelkoMeteo/text_scanner.h"
#include "fuzz/meteo_fuzz_checks.h"

namespace {

using zelko::meteo::fuzzing::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first line names the element and the attribute looked for; the rest is the text.
  size_t line = bytes.find('\n');
  std::string_view names = line == std::string_view::npos ? std::string_view() : bytes.substr(0, line);
  std::string_view name = names.substr(0, names.find(' '));
  std::string_view attr = names.find(' ') == std::string_view::npos ? "data" : names.substr(names.find(' ') + 1);
  const std::string text = zelko::meteo::decodeTextFile(line == std::string_view::npos ? bytes : bytes.substr(line + 1));
  check(zelko::meteo::validUtf8(text) == text);

  const size_t count = zelko::meteo::countElements(text, name);
  for (size_t n = 0; n < 3; ++n) {
    std::string_view element = zelko::meteo::elementText(text, name, n);
    if (element.empty()) continue;
    check(n < count);
    check(element.substr(0, name.size() + 1) == "<" + std::string(name));
    check(element.ends_with("/>") || element.ends_with("</" + std::string(name) + ">"));
    check(text.find(element) != std::string::npos);
  }
  std::string_view value = zelko::meteo::attributeOf(text, name, attr);
  check(value.find('"') == std::string_view::npos);

  if (auto url = zelko::meteo::mapImageUrl(bytes)) check(url->find('"') == std::string::npos);
  for (std::string_view read : zelko::meteo::lineReads(text)) {
    check(!read.empty() && read.size() <= 4 * zelko::meteo::kLineReadUnits);
    check(read.find('\n') == std::string_view::npos || read.find('\n') == read.size() - 1);
  }
  return 0;
}
