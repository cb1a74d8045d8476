// Layout and definition files as the phone's C runtime reads and writes them in text
// mode: 8-bit text, a line ends at LF and a CR right before that LF belongs to the line
// end; lines are written back with CR LF. Bytes are kept as they are, so UTF-8 passes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelko::varn {

struct TextLine {
  std::string_view text;  // without its line end
  bool ended = true;      // false for a last line without LF
};

// The lines of a file; they point into `file`.
std::vector<TextLine> splitLines(std::string_view file);

// The text of an edited file, built line by line.
class TextOutput {
 public:
  // Writes the line with its tabs turned into blanks (at most 100 a line, as the phone's
  // copy does), followed by CR LF when `ended`.
  void line(std::string_view text, bool ended = true);
  void line(const TextLine& l) { line(l.text, l.ended); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

bool contains(std::string_view text, std::string_view part);

}  // namespace zelko::varn
