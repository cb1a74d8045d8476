#include "common/host.h"

#include "common/value_store.h"
#include "platform/registry.h"

namespace zelko::host {
namespace {

std::string readWholeText(platform::Registry& registry, std::string_view key,
                          std::string_view name) {
  auto value = registry.getValue(platform::Root::kLocalMachine, key, name);
  if (!value.ok() || value->type != platform::ValueType::kString) return {};
  return value->text;
}

}  // namespace

std::string pageKey(std::string_view page) {
  std::string key(kPluginKey);
  if (!page.empty()) {
    key += '\\';
    key += page;
  }
  return key;
}

std::vector<std::string> splitList(std::string_view list) {
  std::vector<std::string> pieces;
  if (list.empty()) return pieces;
  size_t start = 0;
  while (true) {
    size_t end = list.find(';', start);
    pieces.emplace_back(list.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return pieces;
}

std::string joinList(const std::vector<std::string>& pieces) {
  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i) out += ';';
    out += pieces[i];
  }
  return out;
}

std::optional<std::string> pluginOrder(std::string_view layoutXml) {
  int found = 0;
  size_t start = 0;
  while (start <= layoutXml.size()) {
    size_t end = layoutXml.find('"', start);
    std::string_view piece = layoutXml.substr(start, end - start);
    if (!piece.empty() && ++found == 2) return std::string(piece);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> layoutFileBaseName(std::string_view layoutXml) {
  constexpr std::string_view kMarker = "CPRFileName=\"";
  size_t start = layoutXml.find(kMarker);
  if (start == std::string_view::npos) return std::nullopt;
  start += kMarker.size();
  size_t end = layoutXml.find('"', start);
  if (end == std::string_view::npos) return std::nullopt;
  return std::string(layoutXml.substr(start, end - start));
}

HomeScreenState homeScreenState(platform::Registry& registry) {
  switch (regReadNumber(registry, platform::Root::kLocalMachine, kHomeKey, kEnabled)) {
    case 1:
      return HomeScreenState::kOn;
    case 0:
      return HomeScreenState::kOff;
    default:
      return HomeScreenState::kUnknown;
  }
}

std::string readExtensibilityXml(platform::Registry& registry) {
  return readWholeText(registry, kHomeKey, kExtensibilityXml);
}

std::vector<std::string> readPluginPages(platform::Registry& registry, std::string_view plugin) {
  std::string key(kHomeKey);
  key += '\\';
  key += plugin;
  return splitList(readWholeText(registry, key, kPages));
}

}  // namespace zelko::host
