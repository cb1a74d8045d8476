// show: the plugin's pages as the data engine left them, for a person to read.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/host.h"
#include "device/cli.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace zelko::device {
namespace {

using platform::RegValue;
using platform::ValueType;

const char kShowUsage[] =
    "usage: zelko-device show [PAGE]\n"
    "\n"
    "Prints the pages of the ZelkoToday home-screen plugin, one value a line sorted by\n"
    "name: Page1 to Page5, CondensedPage, then the plugin key itself as \"plugin\". PAGE\n"
    "(any case) prints that one only. Texts are shown as they are (tabs and line breaks\n"
    "written as \\t, \\n, \\r), image paths by their file name, DWORDs in decimal, binary\n"
    "data in hex. A page the engine has not written says (no values).\n";

// The heading of the plugin key, which has no page name of its own.
constexpr std::string_view kPluginHeading = "plugin";
// Names up to this wide line their values up; a longer one pushes its value along.
constexpr size_t kNameColumn = 16;

struct Section {
  std::string heading;
  std::string page;  // as pageKey() takes it: empty for the plugin key
};

std::vector<Section> allSections() {
  std::vector<Section> out;
  for (std::string_view page : host::kPageNames) {
    out.push_back({std::string(page), std::string(page)});
  }
  out.push_back({std::string(kPluginHeading), ""});
  return out;
}

std::string validNames() {
  std::string out;
  for (std::string_view page : host::kPageNames) out += std::string(page) + ", ";
  return out + std::string(kPluginHeading);
}

Section findSection(const std::string& name) {
  for (const Section& s : allSections()) {
    if (platform::equalsIgnoreCase(name, s.heading)) return s;
  }
  throw UsageError("unknown page " + name + " (expected one of " + validNames() + ")");
}

// Only the ASCII letters of the extensions matter, and ASCII bytes never occur inside a
// multi-byte UTF-8 character, so a byte-wise comparison of the tail is exact.
bool endsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

// The engine writes skin images as full device paths; the folder is the same for every
// one of them and only hides the part that changes.
std::string shownText(const std::string& text) {
  size_t slash = text.rfind('\\');
  if (slash == std::string::npos) return text;
  for (std::string_view ext : {".png", ".jpg", ".jpeg", ".gif", ".bmp"}) {
    if (endsWithIgnoreCase(text, ext)) return text.substr(slash + 1);
  }
  return text;
}

std::string shownValue(const RegValue& v) {
  switch (v.type) {
    case ValueType::kDword: return std::to_string(v.dword);
    case ValueType::kBinary: return hexText(v.bytes);
    default: return escapeText(shownText(v.text));
  }
}

// Columns count characters, not bytes, so names with accents line up too.
size_t characters(std::string_view text) {
  size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

void showSection(platform::Registry& reg, const Section& section, std::string& out) {
  out += section.heading + "\n";
  // values() comes sorted by name without regard to case, the order wanted here.
  auto values = reg.values(platform::Root::kLocalMachine, host::pageKey(section.page));
  if (values.empty()) out += "  (no values)\n";
  for (const auto& v : values) {
    // A name is one line like its value; the nameless value gets regedit's label.
    std::string name = v.name.empty() ? "(default)" : escapeText(v.name);
    std::string value = shownValue(v.value);
    out += "  " + name;
    if (!value.empty()) {
      size_t width = characters(name);
      out.append(width < kNameColumn ? kNameColumn - width : 1, ' ');
      out += value;
    }
    out += '\n';
  }
}

int show(Context& ctx, Args& args) {
  std::optional<std::string> page = args.nextOptional();
  args.done();
  std::vector<Section> sections = page ? std::vector<Section>{findSection(*page)} : allSections();
  auto& reg = ctx.platform().registry();
  std::string out;
  for (size_t i = 0; i < sections.size(); ++i) {
    if (i) out += '\n';
    showSection(reg, sections[i], out);
  }
  // Texts may hold NUL bytes, and a full disk or closed pipe must not end in exit 0.
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    throw Failure("cannot write the output");
  }
  return 0;
}

}  // namespace

const Command kShowCommands[] = {
    {"show", "print the plugin's pages as a person reads them", kShowUsage, show},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
