// The weather provider's two ways with a document: the cursor over the parsed tree and
// the substring scanner, and the text of downloaded files as the phone reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZelkoMeteo/feed_text.h"
#include "ZelkoMeteo/map_page.h"
#include "ZelkoMeteo/text_scanner.h"
#include "ZelkoMeteo/xml_cursor.h"

namespace zelko::meteo {
namespace {

std::vector<std::string> childTags(const XmlCursor& parent) {
  std::vector<std::string> tags;
  for (XmlCursor c = parent.children(); !XmlCursor::atEnd(parent, c); c.advance()) tags.push_back(c.tagName());
  return tags;
}

TEST(XmlCursor, WalksEveryChildNodeButWhitespace) {
  XmlDocument doc;
  ASSERT_TRUE(doc.load("<?xml version=\"1.0\"?>\r\n<root>\r\n  <a/>\r\n  <!-- note -->text<b><a/></b>\r\n</root>"));
  // The comment and the text are visited with no element; the line breaks are not nodes.
  EXPECT_EQ(childTags(doc.root()), (std::vector<std::string>{"a", "", "", "b"}));
  EXPECT_TRUE(doc.root().childNamed("b").hasElement());
  // Only direct children count, and names compare exactly.
  const XmlCursor b = doc.root().childNamed("b");
  EXPECT_EQ(childTags(b), std::vector<std::string>{"a"});
  EXPECT_FALSE(doc.root().childNamed("B").hasElement());
  XmlDocument deep;
  ASSERT_TRUE(deep.load("<r><x><weather/></x></r>"));
  EXPECT_FALSE(deep.root().childNamed("weather").hasElement());
  // childNamed stands within the list: advancing goes on to the next sibling.
  XmlCursor a = doc.root().childNamed("a");
  a.advance();
  EXPECT_EQ(a.tagName(), "");
}

TEST(XmlCursor, EmptyCursorsEndAtOnce) {
  XmlDocument broken;
  EXPECT_FALSE(broken.load("<weather><current></weather>"));
  EXPECT_FALSE(broken.root().hasElement());
  EXPECT_TRUE(childTags(broken.root()).empty());
  EXPECT_TRUE(childTags(broken.root().childNamed("x")).empty());
  XmlDocument empty;
  EXPECT_FALSE(empty.load(""));
  EXPECT_EQ(empty.root().attribute("a"), "");
  EXPECT_EQ(empty.root().intAttribute("a", 9), 9);
  EXPECT_EQ(empty.root().nodeText(), "");
}

TEST(XmlCursor, AttributesAndText) {
  XmlDocument doc;
  ASSERT_TRUE(doc.load("<d a=\"07\" b=\"08\" c=\"0x1F\" e=\"x\" f=\" -12abc\" g=\"99999999999\" s=\"&amp;&#233;\">"
                       "  <t>Hot</t> and <![CDATA[dry]]><!-- no --><u> <v>!</v></u>\n</d>"));
  const XmlCursor& d = doc.root();
  EXPECT_EQ(d.intAttribute("a", -1), 7);
  EXPECT_EQ(d.intAttribute("b", -1), 0);  // octal: reading stops before the 8
  EXPECT_EQ(d.intAttribute("c", -1), 31);
  EXPECT_EQ(d.intAttribute("e", -1), -1);
  EXPECT_EQ(d.intAttribute("missing", -1), -1);
  EXPECT_EQ(d.intAttribute("f", -1), -12);
  EXPECT_EQ(d.intAttribute("g", -1), 2147483647);
  EXPECT_EQ(d.attribute("s"), "&\xC3\xA9");
  EXPECT_EQ(d.attribute("missing"), "");
  EXPECT_EQ(d.nodeText(), "Hot and dry!");  // the blank alone in <u> is no node
}

TEST(XmlCursor, ReadsDeclaredEncodings) {
  XmlDocument latin;
  ASSERT_TRUE(latin.load("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><c n=\"Z\xFCrich\"/>"));
  EXPECT_EQ(latin.root().attribute("n"), "Z\xC3\xBCrich");
  XmlDocument utf16;
  ASSERT_TRUE(utf16.load(std::string("\xFF\xFE<\0c\0/\0>\0", 10)));
  EXPECT_EQ(utf16.root().tagName(), "c");
  // Bytes that are no UTF-8 in a UTF-8 document never reach the record as such.
  XmlDocument bad;
  ASSERT_TRUE(bad.load("<c n=\"a\xFF\"/>"));
  EXPECT_EQ(bad.root().attribute("n"), "a\xEF\xBF\xBD");
}

TEST(TextScanner, ElementsAreSubstrings) {
  const std::string text =
      "<r><icon data=\"a.gif\"/><iconx data=\"b\"/><c data='single'/>"
      "<f><f>inner</f>outer</f><open data=\"x\"></r>";
  EXPECT_EQ(elementText(text, "icon", 0), "<icon data=\"a.gif\"/>");
  EXPECT_EQ(elementText(text, "icon", 1), "<iconx data=\"b\"/>");  // the name is a prefix
  EXPECT_EQ(elementText(text, "icon", 2), "");
  EXPECT_EQ(elementText(text, "f", 0), "<f><f>inner</f>");  // cut at the first closing tag
  EXPECT_EQ(elementText(text, "r", 0), text);
  EXPECT_EQ(elementText(text, "nothing", 0), "");
  EXPECT_EQ(attributeOf(text, "icon", "data"), "a.gif");
  EXPECT_EQ(attributeOf(text, "c", "data"), "");  // single quotes
  EXPECT_EQ(attributeOf(text, "icon", "missing"), "");
  EXPECT_EQ(attributeOf("<x data=\"unclosed", "x", "data"), "");
  EXPECT_EQ(countElements("<a/><a>x</a><ab/>", "a"), 3u);
  EXPECT_EQ(countElements("<forecast_conditions></forecast_conditions>", "forecast_conditions"), 1u);
}

TEST(FeedText, ReadsAsThePhoneDoes) {
  EXPECT_EQ(decodeTextFile("a\r\nb\r\rc\x1A" "after"), "a\nb\r\rc");
  EXPECT_EQ(decodeTextFile("\xEF\xBB\xBFok"), "ok");
  EXPECT_EQ(decodeTextFile("caf\xE9"), "caf\xC3\xA9");  // not UTF-8: the code page
  EXPECT_EQ(decodeTextFile("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(decodeTextFile(std::string("\xFF\xFEh\0i\0", 6)), "hi");
  EXPECT_EQ(decodeTextFile(std::string("\xFE\xFF\0h\0i", 6)), "hi");
  const std::string text = std::string(kLineReadUnits + 5, 'x') + "\nend";
  const std::vector<std::string_view> reads = lineReads(text);
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0].size(), kLineReadUnits);
  EXPECT_EQ(reads[1], "xxxxx\n");
  EXPECT_EQ(reads[2], "end");
}

TEST(MapPage, FindsTheImageOfTheMapTag) {
  EXPECT_EQ(mapImageUrl("<p><img id=\"mapimage\" src=\"http://h/m.jpg\" /></p>"), "http://h/m.jpg");
  // Broken over two lines, and another src after the tag's end does not count.
  EXPECT_EQ(mapImageUrl("x\r\n<img id=\"mapimage\" alt=\"a\"\r\n src=\"http://h/2.jpg\"/>\r\n"), "http://h/2.jpg");
  EXPECT_EQ(mapImageUrl("<img id=\"mapimage\" />\n<img src=\"http://h/other.jpg\"/>"), std::nullopt);
  EXPECT_EQ(mapImageUrl("<img id=\"other\" src=\"http://h/x.jpg\"/>"), std::nullopt);
  EXPECT_EQ(mapImageUrl("<img id=\"mapimage\" src=\"http://h/x.jpg"), std::nullopt);
  EXPECT_EQ(mapImageUrl(""), std::nullopt);
  // The tag only in a third line of a tag broken over three is not found.
  EXPECT_EQ(mapImageUrl("<img id=\"mapimage\"\n alt=\"a\"\n src=\"http://h/3.jpg\"/>"), std::nullopt);
}

}  // namespace
}  // namespace zelko::meteo
