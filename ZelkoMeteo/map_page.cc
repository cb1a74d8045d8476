#include "ZelkoMeteo/map_page.h"

#include <vector>

#include "ZelkoMeteo/feed_text.h"

namespace zelko::meteo {

std::optional<std::string> mapImageUrl(std::string_view document) {
  constexpr std::string_view kTag = "<img id=\"mapimage\"";
  constexpr std::string_view kSrc = "src=\"";
  const std::string text = decodeTextFile(document);
  const std::vector<std::string_view> reads = lineReads(text);
  std::string kept;
  for (size_t i = 0; i < reads.size(); ++i) {
    size_t at = reads[i].find(kTag);
    if (at == std::string_view::npos) continue;
    kept = reads[i].substr(at);
    // The tag may be broken over two lines.
    if (i + 1 < reads.size()) kept += reads[i + 1];
    break;
  }
  if (kept.empty()) return std::nullopt;
  if (size_t end = kept.find("/>"); end != std::string::npos) kept.resize(end + 2);
  size_t src = kept.find(kSrc);
  if (src == std::string::npos) return std::nullopt;
  size_t start = src + kSrc.size();
  size_t quote = kept.find('"', start);
  if (quote == std::string::npos) return std::nullopt;
  return kept.substr(start, quote - start);
}

}  // namespace zelko::meteo
