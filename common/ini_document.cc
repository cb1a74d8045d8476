#include "common/ini_document.h"

#include <climits>

#include "platform/files.h"
#include "platform/text.h"

namespace zelko {
namespace {

constexpr std::string_view kTrimSet = " \r\n\t\f";

std::string_view trim(std::string_view text) {
  size_t begin = text.find_first_not_of(kTrimSet);
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(kTrimSet);
  return text.substr(begin, end - begin + 1);
}

// The longest start of `text` within `units` UTF-16 units that does not split a
// character, measured the way platform::utf16Length counts (a character is a byte that
// is not a continuation byte, with the continuation bytes after it; four-byte leads count
// two). Files are not checked for valid UTF-8, and measuring pieces by the same rule as
// the limits are checked keeps even a damaged file's lines within them. Always takes at
// least one character, so the reader comes to an end.
size_t pieceLength(std::string_view text, size_t units) {
  auto isContinuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
  size_t used = 0;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = text[i];
    size_t cost = isContinuation(lead) ? 0 : (lead >= 0xF0 ? 2 : 1);
    if (used + cost > units && i > 0) break;
    used += cost;
    ++i;
    while (i < text.size() && isContinuation(static_cast<unsigned char>(text[i]))) ++i;
  }
  return i;
}

// A line break inside a key or value would end the line early and turn the rest into a
// line of its own, which could be read back as a section or an entry that was never
// added (a text message shown as a menu label must not become a menu action).
std::string oneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

}  // namespace

int parseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Saturate instead of overflowing; the result is clamped below anyway.
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

void IniDocument::clear() {
  entries_.clear();
  sections_.clear();
  last_found_ = kNone;
  walk_section_.clear();
  walk_next_ = 0;
}

bool IniDocument::load(platform::Files& files, std::string_view path) {
  clear();
  path_ = std::string(path);
  auto text = files.readText(path);
  if (!text.ok()) return false;
  parse(*text);
  return true;
}

void IniDocument::parse(std::string_view text) {
  clear();
  std::string section;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    // Files written on the phone end their lines with CRLF; the CR is part of the line
    // break, not of the 254 units a line may hold.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    do {
      size_t length = pieceLength(line, kIniLineUnits);
      handleLine(line.substr(0, length), section);
      line.remove_prefix(length);
    } while (!line.empty());
  }
}

void IniDocument::handleLine(std::string_view raw, std::string& section) {
  std::string_view line = trim(raw);
  if (line.empty() || line.front() == ';') return;
  if (line.front() == '[') {
    size_t begin = line.find_first_not_of("[]");
    if (begin == std::string_view::npos) {
      section.clear();
      return;
    }
    size_t end = line.find_last_not_of("[]");
    section = std::string(line.substr(begin, end - begin + 1));
    return;
  }
  size_t key_begin = line.find_first_not_of('=');
  if (key_begin == std::string_view::npos) return;
  size_t equals = line.find('=', key_begin);
  if (equals == std::string_view::npos) return;
  std::string_view key = line.substr(key_begin, equals - key_begin);
  std::string_view value = line.substr(equals + 1);
  if (key.empty() || value.empty()) return;
  add(section, key, value);
}

size_t IniDocument::indexOf(std::string_view section, std::string_view key) const {
  if (section.empty()) return kNone;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const IniEntry& e = entries_[i];
    if (!platform::equalsIgnoreCase(e.group, section)) continue;
    if (key.empty() || platform::equalsIgnoreCase(e.key, key)) return i;
  }
  return kNone;
}

size_t IniDocument::findInSection(std::string_view section, size_t from) const {
  if (section.empty()) return kNone;
  for (size_t i = from; i < entries_.size(); ++i) {
    if (platform::equalsIgnoreCase(entries_[i].group, section)) return i;
  }
  return kNone;
}

const IniEntry* IniDocument::lookup(std::string_view section, std::string_view key) {
  last_found_ = indexOf(section, key);
  return lastFound();
}

bool IniDocument::has(std::string_view section, std::string_view key) {
  return lookup(section, key) != nullptr;
}

const IniEntry* IniDocument::find(std::string_view section, std::string_view key) const {
  size_t index = indexOf(section, key);
  return index == kNone ? nullptr : &entries_[index];
}

const IniEntry* IniDocument::lastFound() const {
  return last_found_ == kNone ? nullptr : &entries_[last_found_];
}

std::string IniDocument::getText(std::string_view section, std::string_view key,
                                 std::string_view fallback) {
  const IniEntry* entry = lookup(section, key);
  return entry ? entry->value : std::string(fallback);
}

int IniDocument::getNumber(std::string_view section, std::string_view key, int fallback) {
  const IniEntry* entry = lookup(section, key);
  return entry ? parseLeadingInt(entry->value) : fallback;
}

void IniDocument::add(std::string_view section, std::string_view key, std::string_view value) {
  if (!section.empty()) {
    // Whole names, and without regard to case: "Menu" is a section of its own next to
    // "ZelkoMenu", but "MENU" is the same one, and listing it twice would make save()
    // write its entries twice.
    bool listed = false;
    for (const std::string& name : sections_) {
      if (platform::equalsIgnoreCase(name, section)) {
        listed = true;
        break;
      }
    }
    if (!listed) sections_.emplace_back(section);
  }
  IniEntry entry;
  entry.group = std::string(section.empty() ? key : section);
  entry.key = std::string(key);
  entry.value = std::string(value);
  entry.sectionless = section.empty();
  entries_.push_back(std::move(entry));
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  size_t index = indexOf(section, key);
  last_found_ = index;
  if (index == kNone) {
    add(section, key, value);
  } else {
    entries_[index].value = std::string(value);
  }
}

const IniEntry* IniDocument::firstInSection(std::string_view section) {
  walk_section_ = std::string(section);
  walk_next_ = 0;
  return nextInSection();
}

const IniEntry* IniDocument::nextInSection() {
  size_t index = findInSection(walk_section_, walk_next_);
  if (index == kNone) {
    walk_next_ = entries_.size();
    return nullptr;
  }
  walk_next_ = index + 1;
  return &entries_[index];
}

std::string IniDocument::sectionList() const {
  std::string list;
  for (const std::string& name : sections_) {
    list += name;
    list += ';';
  }
  return list;
}

std::string IniDocument::serialize() const {
  std::string out;
  for (const std::string& name : sections_) {
    std::string header = "[" + oneLine(name) + "]";
    // A line longer than a reader takes would come back as two lines; the rest of a
    // cut line could read as an entry of its own, so such lines are left out instead.
    if (platform::utf16Length(header) > kIniLineUnits) continue;
    out += header;
    out += "\r\n";
    for (size_t i = findInSection(name, 0); i != kNone; i = findInSection(name, i + 1)) {
      const IniEntry& e = entries_[i];
      if (e.sectionless || e.value.empty()) continue;
      // A key holding "=" would come back split at it, with the rest of the key read as
      // the start of the value: a menu label "Call x=\\evil.exe;" would turn into an
      // action. Such entries cannot be written faithfully, so they are left out.
      if (e.key.empty() || e.key.find('=') != std::string::npos) continue;
      std::string key = oneLine(e.key);
      // A key that starts like a section, a comment or with blanks would be read as one
      // or lose its blanks; a leading "=" is skipped by the reader and keeps it intact.
      if (key.front() == '[' || key.front() == ';' ||
          kTrimSet.find(key.front()) != std::string_view::npos) {
        key.insert(0, "=");
      }
      std::string line = key + "=" + oneLine(e.value);
      if (platform::utf16Length(line) > kIniLineUnits) continue;
      out += line;
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

bool IniDocument::save(platform::Files& files, std::string_view path) {
  if (!path.empty()) path_ = std::string(path);
  if (path_.empty()) return false;
  return files.writeFile(path_, serialize()).ok();
}

}  // namespace zelko
