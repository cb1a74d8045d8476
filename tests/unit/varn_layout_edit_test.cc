// The installer's edits of a layout file's text: what stays, what goes, and the layouts
// and definitions it must refuse rather than damage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VARN_installer/layout_edit.h"

namespace zelko::varn {
namespace {

std::string block(const std::string& name) {
  return "  <Layer ID=\"" + name + "Expanded\">\r\n"
         "    <Image Source=\"x\" />\r\n"
         "    <Layer ID=\"" + name + "Condensed\">\r\n"
         "      <Text Value=\"" + name + "\" />\r\n"
         "    </Layer>\r\n"
         "  </Layer>\r\n";
}

std::string layout(const std::vector<std::string>& plugins) {
  std::string out = "<Form>\r\n  <TitaniumListView ID=\"ListView\">\r\n    <Selection />\r\n  </TitaniumListView>\r\n";
  for (const auto& p : plugins) out += block(p);
  return out + "</Form>\r\n";
}

// The shape the layout gets after an edit: the same, ending in "</Form>" without a line end.
std::string edited(const std::vector<std::string>& plugins) {
  std::string text = layout(plugins);
  return text.substr(0, text.size() - 2);
}

PluginDefinition definition(const std::string& name, const std::string& layers) {
  PluginDefinition d{name, 0, {}};
  d.rest = {"<layout screenWidth=\"480\" screenHeight=\"800\">"};
  size_t start = 0;
  while (start < layers.size()) {
    size_t lf = layers.find("\r\n", start);
    d.rest.push_back(layers.substr(start, lf - start));
    start = lf + 2;
  }
  d.rest.push_back("</layout>");
  return d;
}

constexpr platform::ScreenSize kPortrait{480, 800};

TEST(VarnLayoutEdit, AddsANewPluginBeforeTheFormEnd) {
  EditResult added = addLayers(layout({"Clock", "Home"}), definition("Weather", block("Weather")), kPortrait);
  ASSERT_EQ(added.fault, EditFault::kNone);
  EXPECT_EQ(added.listView, ListView::kTitanium);
  EXPECT_EQ(added.text, edited({"Clock", "Home", "Weather"}));

  // A plugin whose name ends another's is a plugin of its own. (The replacement of an
  // installed plugin's layers in place is in the end-to-end tests.)
  EditResult other = addLayers(added.text, definition("ome", block("ome")), kPortrait);
  EXPECT_NE(other.text.find("<Layer ID=\"HomeExpanded"), std::string::npos);
  EXPECT_NE(other.text.find("<Layer ID=\"omeExpanded"), std::string::npos);
}

TEST(VarnLayoutEdit, RefusesWhatIsNotALayoutOrWouldLoseItsEnd) {
  const PluginDefinition weather = definition("Weather", block("Weather"));
  EXPECT_EQ(addLayers("<Form>\r\n</Form>\r\n", weather, kPortrait).fault, EditFault::kNotALayout);
  EXPECT_EQ(removeLayers("<Form><TitaniumListView /></Form>", "A").fault, EditFault::kNotALayout);
  std::string unended = layout({"A"});
  unended.resize(unended.find("</Form>"));
  EXPECT_EQ(addLayers(unended, weather, kPortrait).fault, EditFault::kNotALayout);

  // A block that never finds its condensed layer, or whose second "</Layer>" would lie
  // past the form's end, would take the end with it.
  std::string noCondensed = layout({"A"});
  noCondensed.replace(noCondensed.find("ACondensed"), 10, "AOther");
  EXPECT_EQ(removeLayers(noCondensed, "A").fault, EditFault::kBlockUnclosed);
  std::string short1 = layout({"A"});
  short1.erase(short1.rfind("  </Layer>\r\n"), 12);
  short1 += "</Layer>\r\n";
  EXPECT_EQ(removeLayers(short1, "A").fault, EditFault::kBlockUnclosed);
}

TEST(VarnLayoutEdit, RefusesLayersThatAreNotOneBlockOfThePlugin) {
  const std::string text = layout({"A"});
  auto faultOf = [&](const PluginDefinition& d) { return addLayers(text, d, kPortrait).fault; };
  EXPECT_EQ(faultOf(definition("W", block("W"))), EditFault::kNone);
  EXPECT_EQ(faultOf(definition("W", "\r\n" + block("W") + "  \r\n")), EditFault::kNone)
      << "blank lines around the block are dropped";
  EXPECT_EQ(faultOf(definition("W", block("V"))), EditFault::kNoLayers);
  EXPECT_EQ(faultOf(definition("W", block("W") + "  <Extra />\r\n")), EditFault::kNoLayers);
  EXPECT_EQ(faultOf(definition("W", block("W") + "</Form>\r\n")), EditFault::kNoLayers);
  std::string withListView = block("W");
  withListView.insert(withListView.find("    <Image"), "  <BronzeListView>\r\n");
  EXPECT_EQ(faultOf(definition("W", withListView)), EditFault::kNoLayers);

  PluginDefinition wrongSize = definition("W", block("W"));
  EXPECT_EQ(addLayers(text, wrongSize, {800, 480}).fault, EditFault::kNoLayers);
  PluginDefinition unclosed = definition("W", block("W"));
  unclosed.rest.pop_back();
  EXPECT_EQ(addLayers(text, unclosed, kPortrait).fault, EditFault::kLayersUnclosed);
  // Nothing to inject, nothing asked of the definition: removing never needs one.
  EXPECT_EQ(removeLayers(text, "W").fault, EditFault::kNone);
}

TEST(VarnLayoutEdit, CopiesLinesAsThePhonesTextModeDoes) {
  // LF alone becomes CR LF, a stray CR before CR LF stays, tabs become blanks (the first
  // 100 of a line), and what follows "</Form>" is dropped.
  std::string in = "<Form>\n\t<TitaniumListView>\r\r\n" + std::string(102, '\t') + "\n  </TitaniumListView>\n"
                   "  </Form>\r\n<!-- trailer -->\r\n";
  std::string out = removeLayers(in, "A").text;
  EXPECT_EQ(out, "<Form>\r\n <TitaniumListView>\r\r\n" + std::string(100, ' ') + "\t\t\r\n"
                 "  </TitaniumListView>\r\n</Form>");
  // Markup before "</Form>" on its line is kept.
  EXPECT_EQ(removeLayers("<Form><TitaniumListView>\n</TitaniumListView></Form>\n", "A").text,
            "<Form><TitaniumListView>\r\n</TitaniumListView></Form>");
}

TEST(VarnLayoutEdit, SwitchesTheListViewBothWays) {
  const std::string titanium = layout({"A"});
  EditResult bronze = switchListView(titanium, true, false);
  ASSERT_EQ(bronze.fault, EditFault::kNone);
  EXPECT_EQ(bronze.listView, ListView::kTitanium);
  std::string expected = edited({"A"});
  expected.replace(expected.find("  <TitaniumListView"), 19, "   <BronzeListView");
  expected.replace(expected.find("  </TitaniumListView>"), 21, "   </BronzeListView>");
  EXPECT_EQ(bronze.text, expected);

  EditResult back = switchListView(bronze.text, false, true);
  EXPECT_EQ(back.listView, ListView::kBronze);
  EXPECT_NE(back.text.find("   </TitaniumListView>\r\n"), std::string::npos);

  // Asked for the kind it has, or for nothing, the layout stays as it is.
  EXPECT_EQ(switchListView(bronze.text, true, false).text, bronze.text);
  EXPECT_EQ(switchListView(titanium, false, false).text, titanium);
  // A list view without its closing line is not switched half.
  EXPECT_EQ(switchListView("<Form>\n<TitaniumListView />\n</Form>\n", true, false).fault,
            EditFault::kNotALayout);
  // Closing line and form end on one line: both stay.
  EXPECT_EQ(switchListView("<Form><TitaniumListView>\n</TitaniumListView></Form>\n", true, false).text,
            "<Form><BronzeListView>\r\n</BronzeListView></Form>");
}

}  // namespace
}  // namespace zelko::varn
