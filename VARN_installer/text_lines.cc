#include "VARN_installer/text_lines.h"

namespace zelko::varn {

std::vector<TextLine> splitLines(std::string_view file) {
  std::vector<TextLine> lines;
  size_t start = 0;
  while (start < file.size()) {
    size_t lf = file.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.push_back({file.substr(start), false});
      break;
    }
    std::string_view text = file.substr(start, lf - start);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    lines.push_back({text, true});
    start = lf + 1;
  }
  return lines;
}

void TextOutput::line(std::string_view text, bool ended) {
  constexpr int kMaxTabs = 100;
  int tabs = 0;
  for (char c : text) {
    if (c == '\t' && tabs < kMaxTabs) {
      ++tabs;
      c = ' ';
    }
    text_.push_back(c);
  }
  if (ended) text_ += "\r\n";
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace zelko::varn
