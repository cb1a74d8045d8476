// Reads arbitrary bytes as an INI file: nothing may crash, every entry must respect the
// line limit, every entry must be found again by its own section and key, and a written
// document must read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/ini_document.h"
#include "platform/text.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zelko::IniDocument doc;
  doc.parse(text);

  for (const zelko::IniEntry& e : doc.entries()) {
    check(!e.key.empty() && !e.value.empty());
    check(zelko::platform::utf16Length(e.key + "=" + e.value) <= zelko::kIniLineUnits);
    check(doc.lookup(e.group, e.key) != nullptr);
    doc.getNumber(e.group, e.key, 0);
  }
  for (const std::string& section : doc.sections()) {
    check(!section.empty());
    size_t walked = 0;
    for (auto* e = doc.firstInSection(section); e != nullptr; e = doc.nextInSection()) {
      check(zelko::platform::equalsIgnoreCase(e->group, section));
      check(++walked <= doc.entries().size());
    }
  }

  std::string written = doc.serialize();
  zelko::IniDocument back;
  back.parse(written);
  check(back.serialize() == written);
  return 0;
}
