// An INI-style document: ordered entries of section, key and value, looked up without
// regard to case. The suite keeps its settings, the skins' redirect tables and the popup
// menus in such files, and the command-line arguments in such a document.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::platform {
class Files;
}

namespace zelko {

struct IniEntry {
  // The entry's section; for an entry without a section, the key itself, so that an
  // argument such as "-zelkotoday" is found as section "-zelkotoday" with an empty key.
  std::string group;
  std::string key;
  std::string value;
  // Added without a section. Such entries are found by lookups under their key but are
  // never written to a file.
  bool sectionless = false;
};

// A line of an INI file holds at most this many UTF-16 units; a longer line is read as
// several lines of this size.
inline constexpr size_t kIniLineUnits = 254;

class IniDocument {
 public:
  // Removes all entries and sections and forgets the walk.
  void clear();

  // Replaces the document with the file's contents. False when the file cannot be read;
  // the document is then empty. Remembers the path for save().
  bool load(platform::Files& files, std::string_view path);
  // Replaces the document with the entries of an INI text (the file format of load()).
  void parse(std::string_view text);

  // The first entry, in entry order, whose group equals `section` and, when `key` is not
  // empty, whose key equals `key`; nullptr when `section` is empty or nothing matches.
  // The result is also kept as lastFound(). Pointers to entries stay valid until clear(),
  // load() or parse() (entries live in a deque, so add() does not move them).
  const IniEntry* lookup(std::string_view section, std::string_view key);
  bool has(std::string_view section, std::string_view key);
  const IniEntry* lastFound() const;
  // lookup() for readers that must not disturb lastFound().
  const IniEntry* find(std::string_view section, std::string_view key) const;

  // The value found by lookup(), or `fallback`.
  std::string getText(std::string_view section, std::string_view key, std::string_view fallback);
  // The found value read as a decimal integer (leading blanks and a sign allowed, reading
  // stops at the first other character, 0 without digits, clamped to the int range), or
  // `fallback` when there is no such entry.
  int getNumber(std::string_view section, std::string_view key, int fallback);

  // Appends an entry without looking for an existing one.
  void add(std::string_view section, std::string_view key, std::string_view value);
  // Replaces the value of the entry lookup() finds, or adds one.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // Walks the entries whose group equals `section`. nullptr at the end, and at once for
  // an empty section. A walk lasts until the next firstInSection() or change of contents.
  const IniEntry* firstInSection(std::string_view section);
  const IniEntry* nextInSection();

  // Writes the document to `path`, or to the remembered path when `path` is empty, and
  // remembers it. False when there is no path or the file cannot be written; the file
  // is replaced all at once, so a failed save leaves the old file.
  bool save(platform::Files& files, std::string_view path = {});
  // The text save() writes: each listed section with its non-empty values, CRLF lines.
  // Line breaks inside names and values become blanks; an entry whose key holds "=" or
  // whose line a reader would take as two (longer than kIniLineUnits) is left out; a key
  // that starts with "[", ";" or a blank is written behind a "=" that the reader skips.
  // Reading the file back thus never yields an entry or section that was not there.
  std::string serialize() const;

  const std::deque<IniEntry>& entries() const { return entries_; }
  // Every non-empty section that received an entry, in order of first appearance.
  const std::vector<std::string>& sections() const { return sections_; }
  // The same list as one text, each name followed by ";".
  std::string sectionList() const;
  const std::string& path() const { return path_; }

 private:
  void handleLine(std::string_view line, std::string& section);
  size_t indexOf(std::string_view section, std::string_view key) const;
  size_t findInSection(std::string_view section, size_t from) const;

  std::deque<IniEntry> entries_;
  std::vector<std::string> sections_;
  std::string path_;
  static constexpr size_t kNone = static_cast<size_t>(-1);
  // Indices rather than pointers, so that a copied document is self-contained.
  size_t last_found_ = kNone;
  std::string walk_section_;
  size_t walk_next_ = 0;
};

// The number at the start of a text, the way the phone's C runtime reads it: leading
// white space, an optional sign, digits; 0 when there are none; clamped to the int range.
int parseLeadingInt(std::string_view text);

}  // namespace zelko
