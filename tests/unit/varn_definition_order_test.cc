// The installer's reading of plugin definition files and its edits of the home screen's
// plugin order.
#include <gtest/gtest.h>

#include <string>

#include "VARN_installer/plugin_definition.h"
#include "VARN_installer/plugin_order.h"

namespace zelko::varn {
namespace {

std::string errorOf(const std::string& file) {
  ParsedDefinition parsed = parsePluginDefinition(file);
  return parsed.definition ? "" : parsed.error.text;
}

TEST(VarnDefinition, ReadsNameAndPositionFromTheirOwnLines) {
  ParsedDefinition parsed = parsePluginDefinition(
      "<plugin>\r\n  <name>Weather</name>\r\n\t<position> 12 </position>\r\n<layout>\r\n");
  ASSERT_TRUE(parsed.definition);
  EXPECT_EQ(parsed.definition->name, "Weather");
  EXPECT_EQ(parsed.definition->position, 12u);
  EXPECT_EQ(parsed.definition->rest, std::vector<std::string>{"<layout>"});
  // A position past any order stays the largest number rather than wrapping around.
  parsed = parsePluginDefinition("<name>W</name>\n<position>99999999999999999999999</position>\n");
  ASSERT_TRUE(parsed.definition);
  EXPECT_EQ(parsed.definition->position, UINT64_MAX);
}

TEST(VarnDefinition, NamesEachMissingPieceWithItsError) {
  EXPECT_EQ(errorOf("<plugin>\n<position>1</position>\n"), "#61 Name of Plugin in plg not found");
  EXPECT_EQ(errorOf("Weather</name>\n<position>1</position>\n"), "#60 Name-Tag in plg not found");
  EXPECT_EQ(errorOf("</name><name>Weather\n<position>1</position>\n"), "#60 Name-Tag in plg not found");
  EXPECT_EQ(errorOf("<name>W</name>\n"), "#62 Position of Plugin in plg not found");
  // The position is looked for after the name's line only.
  EXPECT_EQ(errorOf("<name>W</name><position>1</position>\n"), "#62 Position of Plugin in plg not found");
  EXPECT_EQ(errorOf("<name>W</name>\n1</position>\n"), "#62 Position-Tag in plg not found");
  EXPECT_EQ(errorOf("<name>W</name>\n<position>-1</position>\n"), "#62 Position-Tag in plg not found");
  EXPECT_EQ(errorOf("<name>W</name>\n<position></position>\n"), "#62 Position-Tag in plg not found");
}

TEST(VarnDefinition, RefusesNamesThatWouldBreakTheOrderOrALayerId) {
  for (const char* name : {"", "Two words", "A;B", "Say\"hi", "<b>", "R&D", "Tab\there"}) {
    EXPECT_EQ(errorOf(std::string("<name>") + name + "</name>\n<position>1</position>\n"),
              "#60 Name-Tag in plg not found")
        << name;
  }
  EXPECT_EQ(errorOf("<name>Météo</name>\n<position>1</position>\n"), "");
}

constexpr char kOrder[] = "<Plugins Order=\"P;Q;R\" CPRFileName=\"Titanium\" />";

// The positions and separators of everyday use are in the end-to-end tests; these are the
// ends of the ranges.
TEST(VarnOrder, AddsPastAnyEndToEmptyListsAndNeverTwice) {
  EXPECT_EQ(addToOrder(kOrder, "P;Q;R", "X", UINT64_MAX).element, "<Plugins Order=\"P;Q;R;X\" CPRFileName=\"Titanium\" />");
  EXPECT_EQ(addToOrder(kOrder, "P;Q;R", "X", 3).element, "<Plugins Order=\"P;Q;R;X\" CPRFileName=\"Titanium\" />");
  OrderEdit empty = addToOrder("<Plugins Order=\"\" />", "", "X", 5);
  EXPECT_EQ(empty.element + " " + empty.plugins, "<Plugins Order=\"X\" /> X");
  // An order left with a trailing ";" by a removal gets no empty entry.
  OrderEdit trailing = addToOrder("<Plugins Order=\"P;Q;\" />", "P;Q;", "X", 9);
  EXPECT_EQ(trailing.element + " " + trailing.plugins, "<Plugins Order=\"P;Q;X\" /> P;Q;X");

  OrderEdit listed = addToOrder(kOrder, "P;R", "Q", 0);
  EXPECT_TRUE(listed.alreadyListed);
  EXPECT_EQ(listed.element + " " + listed.plugins, std::string(kOrder) + " P;R");
  EXPECT_FALSE(addToOrder(kOrder, "P;Q;R", "q", 0).alreadyListed) << "names compare exactly";
}

TEST(VarnOrder, RemovesEveryEntryAndReadsTheListOnlyBetweenItsQuotes) {
  OrderEdit removed = removeFromOrder("<Plugins Order=\"P;X;X;Q\" />", "X;P;X", "X");
  EXPECT_EQ(removed.element + " " + removed.plugins, "<Plugins Order=\"P;Q\" /> P;");
  EXPECT_EQ(removeFromOrder(kOrder, "P;Q;R", "R").element, "<Plugins Order=\"P;Q;\" CPRFileName=\"Titanium\" />");
  EXPECT_EQ(removeFromOrder("<Plugins Order=\"P;Q;\" />", "", "P").element, "<Plugins Order=\"Q\" />");
  EXPECT_EQ(addToOrder("Plugins", "", "X", 0).fault, OrderFault::kNoOpeningQuote);
  EXPECT_EQ(removeFromOrder("<Plugins Order=\"P;Q", "", "X").fault, OrderFault::kNoClosingQuote);
  // A ";" after the closing quote separates no names.
  EXPECT_EQ(addToOrder("<Plugins Order=\"P;Q\" Note=\"a;b\" />", "", "X", 1).element,
            "<Plugins Order=\"P;X;Q\" Note=\"a;b\" />");
}

}  // namespace
}  // namespace zelko::varn
