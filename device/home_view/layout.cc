#include "device/home_view/layout.h"

#include <pugixml.hpp>

#include <charconv>
#include <cstring>

namespace zelko::device::home {
namespace {

using platform::Result;
using platform::Status;

constexpr std::string_view kExpanded = "Expanded";
constexpr std::string_view kCondensed = "Condensed";

bool named(const pugi::xml_node& node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// A whole number from 0 to kMaxPixels; nullopt for anything else.
std::optional<int> pixels(const pugi::xml_node& node, const char* name) {
  std::string_view text = node.attribute(name).value();
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 0 || value > kMaxPixels) return std::nullopt;
  return value;
}

int pixelsOr(const pugi::xml_node& node, const char* name, int fallback) {
  return pixels(node, name).value_or(fallback);
}

std::string colorOf(const pugi::xml_node& node, const char* name) {
  std::string_view text = node.attribute(name).value();
  return isColor(text) ? std::string(text) : std::string();
}

Box boxOf(const pugi::xml_node& node) {
  return Box{pixels(node, "X"), pixels(node, "Y"), pixels(node, "Width"), pixels(node, "Height")};
}

Align alignOf(std::string_view text) {
  if (text == "center") return Align::kCenter;
  if (text == "right") return Align::kRight;
  return Align::kLeft;
}

VAlign valignOf(std::string_view text) {
  if (text == "top") return VAlign::kTop;
  if (text == "bottom") return VAlign::kBottom;
  return VAlign::kMiddle;
}

std::optional<ElementKind> kindOf(const pugi::xml_node& node) {
  if (named(node, "Text")) return ElementKind::kText;
  if (named(node, "Image")) return ElementKind::kImage;
  if (named(node, "Fill")) return ElementKind::kFill;
  return std::nullopt;
}

Element elementOf(const pugi::xml_node& node, ElementKind kind) {
  Element e;
  e.kind = kind;
  e.box = boxOf(node);
  e.literal = node.attribute(kind == ElementKind::kImage ? "Source" : "Value").value();
  e.bind = node.attribute("Bind").value();
  e.page = node.attribute("Page").value();
  e.size = pixelsOr(node, "Size", 0);
  e.color = colorOf(node, "Color");
  e.align = alignOf(node.attribute("Align").value());
  e.valign = valignOf(node.attribute("VAlign").value());
  e.bold = node.attribute("Bold").as_bool();
  e.lines = pixelsOr(node, "Lines", 0);
  e.radius = pixelsOr(node, "Radius", 0);
  e.action = node.attribute("Action").value();
  e.tap = std::string_view(node.attribute("Tap").value()) == "page" ? TapTarget::kPage : TapTarget::kPanel;
  return e;
}

class Reader {
 public:
  void elements(const pugi::xml_node& parent, std::vector<Element>& out) {
    for (const pugi::xml_node& child : parent.children()) {
      std::optional<ElementKind> kind = kindOf(child);
      if (!kind || count_ >= kMaxElements) continue;
      out.push_back(elementOf(child, *kind));
      ++count_;
    }
  }

  Layer layer(const pugi::xml_node& node) {
    Layer layer;
    layer.height = pixelsOr(node, "Height", 0);
    layer.background = colorOf(node, "Background");
    elements(node, layer.elements);
    for (const pugi::xml_node& page : node.children("Page")) {
      PageElements p;
      p.name = page.attribute("Name").value();
      elements(page, p.elements);
      layer.pages.push_back(std::move(p));
    }
    return layer;
  }

  // A block starts at a layer whose ID is the plugin's name and "Expanded"; its condensed
  // layer is the child whose ID is the name and "Condensed".
  void block(const pugi::xml_node& node, Layout& layout) {
    std::string_view id = node.attribute("ID").value();
    if (id.size() <= kExpanded.size() || !id.ends_with(kExpanded)) return;
    PluginLayers plugin;
    plugin.name = std::string(id.substr(0, id.size() - kExpanded.size()));
    plugin.expanded = layer(node);
    const std::string condensedId = plugin.name + std::string(kCondensed);
    for (const pugi::xml_node& child : node.children("Layer")) {
      if (condensedId == child.attribute("ID").value()) {
        plugin.condensed = layer(child);
        break;
      }
    }
    layout.plugins.push_back(std::move(plugin));
  }

  void listView(const pugi::xml_node& node, Layout& layout) {
    layout.listView = boxOf(node);
    layout.selectionColor = colorOf(node.child("Selection"), "Color");
    for (const pugi::xml_node& child : node.children("Layer")) block(child, layout);
  }

 private:
  size_t count_ = 0;
};

}  // namespace

const PluginLayers* Layout::find(std::string_view name) const {
  for (const PluginLayers& p : plugins) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

bool isColor(std::string_view text) {
  if (text.size() != 4 && text.size() != 7 && text.size() != 9) return false;
  if (text[0] != '#') return false;
  for (char c : text.substr(1)) {
    bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

Result<Layout> parseLayout(std::string_view text) {
  if (text.size() > kMaxLayoutBytes) {
    return Status::Invalid("it is larger than " + std::to_string(kMaxLayoutBytes >> 10) + " KB");
  }
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size(), pugi::parse_default);
  if (!parsed) {
    return Status::Invalid(std::string("it is not XML (") + parsed.description() + " at byte " +
                           std::to_string(parsed.offset) + ")");
  }
  pugi::xml_node form = doc.document_element();
  if (!named(form, "Form")) return Status::Invalid("it has no <Form> at its top");
  Layout layout;
  layout.width = pixelsOr(form, "Width", 0);
  layout.height = pixelsOr(form, "Height", 0);
  Reader reader;
  bool listViewSeen = false;
  for (const pugi::xml_node& child : form.children()) {
    if (!listViewSeen && (named(child, "TitaniumListView") || named(child, "BronzeListView"))) {
      reader.listView(child, layout);
      listViewSeen = true;
    } else if (named(child, "SoftKeys")) {
      layout.softKeyHeight = pixelsOr(child, "Height", 0);
    } else if (named(child, "Layer")) {
      reader.block(child, layout);
    }
  }
  return layout;
}

}  // namespace zelko::device::home
