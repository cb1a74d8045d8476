// The content lines of a vCard file ("[group.]NAME;PARAM=V:value") and the decoding of
// their values: the layer below the cards of vcard.cc, shared by nothing else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::device::vcard {

// A fault in one card, thrown inside the vCard reader only so that every helper can give
// up with its line in hand; parseVCards turns it into a status or a skipped card.
struct CardError {
  std::string message;  // "line N: what is wrong"
};
[[noreturn]] void fail(int line, const std::string& what);

struct Param {
  std::string name;  // upper case; "TYPE" for the bare values of 2.1 ("HOME", "CELL")
  std::vector<std::string> values;
};

struct ContentLine {
  int line = 0;
  std::string group;  // upper case, "" for none ("ITEM1" of "item1.TEL")
  std::string name;   // upper case, without the group
  std::vector<Param> params;
  std::string value;  // as written, unfolded; the whole line when it is broken
  // Set when the line itself is broken (no colon, a bad name, a stray continuation): the
  // card that holds it is refused with this message.
  std::string error;

  // Every value of the named parameter, upper case.
  std::vector<std::string> param(const std::string& key) const;
  bool hasParam(const std::string& key, const std::string& value) const;
  std::string encoding() const;
};

// Joins folded lines, quoted-printable soft line breaks and the unindented base64 lines of
// 2.1 into content lines; blank lines are left out. `text` is UTF-8 or single bytes of a
// CHARSET, as the exporter wrote them.
std::vector<ContentLine> readContentLines(std::string_view text);

// The value's text in UTF-8: its transfer encoding undone and its CHARSET converted. A
// value that is not UTF-8 and names no CHARSET is read as Windows-1252, as old exporters
// meant. Throws CardError for broken quoted-printable or text that cannot be converted.
std::string decodedText(const ContentLine& cl);

// Splits a structured value at unescaped `sep` ('\0' for none) and undoes the escapes of
// the version: 2.1 knows only "\;", later versions "\\", "\,", "\;" and "\n".
std::vector<std::string> components(std::string_view text, char sep, bool v21);

// Base64 with whitespace anywhere (exporters fold it where they like); nullopt when broken.
std::optional<std::string> decodeBase64(std::string_view text);
// "%41" escapes of a data: URI; nullopt when one is broken.
std::optional<std::string> percentDecode(std::string_view text);

}  // namespace zelko::device::vcard
