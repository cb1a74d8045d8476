// Walks arbitrary bytes loaded as an XML document with the weather readers' cursor: every
// walk ends, a child found by name has that name, and the texts handed out are UTF-8.
// Documents nested far deeper than any stack must not crash the walk or the text
// collection.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ZelkoMeteo/feed_text.h"
#include "ZelkoMeteo/xml_cursor.h"
#include "fuzz/meteo_fuzz_checks.h"

namespace {

using zelko::meteo::XmlCursor;
using zelko::meteo::fuzzing::check;

void checkText(const std::string& text) { check(zelko::meteo::validUtf8(text) == text); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zelko::meteo::XmlDocument doc;
  bool loaded = doc.load({reinterpret_cast<const char*>(data), size});
  check(loaded == doc.root().hasElement());
  // Breadth first over the first levels, with a bound on the work.
  std::vector<XmlCursor> level = {doc.root()};
  size_t visited = 0;
  for (int depth = 0; depth < 4 && !level.empty() && visited < 10000; ++depth) {
    std::vector<XmlCursor> next;
    for (const XmlCursor& parent : level) {
      checkText(parent.nodeText());
      for (XmlCursor child = parent.children(); !XmlCursor::atEnd(parent, child) && visited < 10000; child.advance()) {
        ++visited;
        const std::string tag = child.tagName();
        checkText(tag);
        checkText(child.attribute("data"));
        child.intAttribute("number", 0);
        if (!tag.empty()) check(parent.childNamed(tag).tagName() == tag);
        if (child.hasElement()) next.push_back(child);
      }
    }
    level = std::move(next);
  }
  return 0;
}
