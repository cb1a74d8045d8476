#include "VARN_installer/layout_actions.h"

#include <functional>

#include "VARN_installer/layout_edit.h"
#include "VARN_installer/plugin_order.h"

namespace zelko::varn {
namespace {

using platform::RegValue;
using platform::Root;

// The error numbers of one action; delete's are add-or-change's plus 100.
struct Numbers {
  int notFound;       // 51: the layout file cannot be read or is not a layout
  int temp;           // 52: the temporary file cannot be written
  int blockUnclosed;  // 70
  int replace;        // 200: the layout file cannot be replaced
};
constexpr Numbers kAddNumbers{51, 52, 70, 200};
constexpr Numbers kDeleteNumbers{151, 152, 170, 200};
constexpr Numbers kChangeNumbers{351, 352, 0, 300};  // switching skips no blocks

std::string tempPath(const Call& call) {
  return call.landscape ? "\\tempTitaniumLandscapeCpr.txt" : "\\tempTitaniumPortraitCpr.txt";
}

struct EditedLayout {
  std::optional<InstallError> error;
  std::string text;
};

// Reads the layout, edits it and writes the result to the temporary file.
EditedLayout editLayout(platform::Platform& platform, StatusRecord& status, const Call& call,
                        const Numbers& numbers,
                        const std::function<EditResult(std::string_view)>& edit) {
  platform::Files& files = platform.files();
  auto layout = files.readFile(call.layoutPath);
  if (!layout.ok()) return {installError(numbers.notFound), {}};
  if (!files.writeFile(tempPath(call), "").ok()) return {installError(numbers.temp), {}};
  EditResult result = edit(*layout);
  if (result.listView != ListView::kNone) status.setText("ListView", listViewName(result.listView));
  switch (result.fault) {
    case EditFault::kNone: break;
    case EditFault::kNotALayout: return {installError(numbers.notFound), {}};
    case EditFault::kBlockUnclosed: return {installError(numbers.blockUnclosed), {}};
    case EditFault::kNoLayers: return {installError(63), {}};
    case EditFault::kLayersUnclosed: return {installError(64), {}};
  }
  if (!files.writeFile(tempPath(call), result.text).ok()) return {installError(numbers.temp), {}};
  return {std::nullopt, std::move(result.text)};
}

struct HomeValues {
  std::string extensibilityXml, defaultXml, plugins;
};

// Reads the three values and records them as they were; 70, 71, 72 (plus `offset`) for
// the first one missing.
std::optional<InstallError> readHomeValues(platform::Registry& registry, StatusRecord& status,
                                           int offset, HomeValues& out) {
  auto ext = readText(registry, Root::kLocalMachine, kHomeKey, "ExtensibilityXML", kHomeValueUnits);
  auto def = readText(registry, Root::kLocalMachine, kHomeKey, "DefaultXML", kHomeValueUnits);
  auto plugins = readText(registry, Root::kLocalMachine, kHomeKey, "Plugins", kHomeValueUnits);
  if (ext) status.setText("callOrgExtXML", *ext);
  if (def) status.setText("callOrgDefaultXML", *def);
  if (plugins) status.setText("callOrgPlugins", *plugins);
  if (!ext) return installError(70 + offset, true);
  if (!def) return installError(71 + offset);
  if (!plugins) return installError(72 + offset);
  out = {*ext, *def, *plugins};
  return std::nullopt;
}

// Records the new values, then replaces the layout file and writes the home screen's
// values as far as the call allows.
std::optional<InstallError> apply(platform::Platform& platform, StatusRecord& status, const Call& call,
                                  const EditedLayout& layout, const OrderEdit& order, int offset,
                                  bool writeHome) {
  if (order.fault == OrderFault::kNoOpeningQuote) return installError(80 + offset);
  if (order.fault == OrderFault::kNoClosingQuote) return installError(81 + offset);
  status.setText("newExtensibilityXML", order.element);
  status.setText("newDefaultXML", order.element);
  status.setText("newPlugins", order.plugins);
  if (!call.keepLayout && !call.forbidden &&
      !platform.files().writeFile(call.layoutPath, layout.text).ok()) {
    return installError(200);
  }
  if (writeHome && call.currentLayout && !call.keepHomeValues && !call.forbidden) {
    platform::Registry& registry = platform.registry();
    writeValue(registry, Root::kLocalMachine, kHomeKey, "ExtensibilityXML", RegValue::Text(order.element));
    writeValue(registry, Root::kLocalMachine, kHomeKey, "DefaultXML", RegValue::Text(order.element));
    writeValue(registry, Root::kLocalMachine, kHomeKey, "Plugins", RegValue::Text(order.plugins));
  }
  return std::nullopt;
}

}  // namespace

std::optional<InstallError> addOrChange(platform::Platform& platform, StatusRecord& status,
                                        const Call& call) {
  auto file = platform.files().readFile(call.definitionPath);
  if (!file.ok()) return installError(50);
  ParsedDefinition parsed = parsePluginDefinition(*file);
  if (!parsed.definition) return parsed.error;
  const PluginDefinition& plugin = *parsed.definition;
  // The layers section is named by the layout's size: turned, width and height change places.
  platform::ScreenSize size = call.landscape ? platform::ScreenSize{call.screen.height, call.screen.width}
                                             : call.screen;
  EditedLayout layout = editLayout(platform, status, call, kAddNumbers, [&](std::string_view text) {
    return addLayers(text, plugin, size);
  });
  if (layout.error) return layout.error;
  HomeValues home;
  if (auto error = readHomeValues(platform.registry(), status, 0, home)) return error;
  OrderEdit order = addToOrder(home.extensibilityXml, home.plugins, plugin.name, plugin.position);
  return apply(platform, status, call, layout, order, 0, !order.alreadyListed);
}

std::optional<InstallError> deletePlugin(platform::Platform& platform, StatusRecord& status,
                                         const Call& call) {
  EditedLayout layout = editLayout(platform, status, call, kDeleteNumbers, [&](std::string_view text) {
    return removeLayers(text, call.plugin);
  });
  if (layout.error) return layout.error;
  HomeValues home;
  if (auto error = readHomeValues(platform.registry(), status, 100, home)) return error;
  OrderEdit order = removeFromOrder(home.extensibilityXml, home.plugins, call.plugin);
  return apply(platform, status, call, layout, order, 100, true);
}

std::optional<InstallError> changeListView(platform::Platform& platform, StatusRecord& status,
                                           const Call& call) {
  EditedLayout layout = editLayout(platform, status, call, kChangeNumbers, [&](std::string_view text) {
    return switchListView(text, call.toBronze, call.toTitanium);
  });
  if (layout.error) return layout.error;
  if (!platform.files().writeFile(call.layoutPath, layout.text).ok()) return installError(300);
  return std::nullopt;
}

}  // namespace zelko::varn
