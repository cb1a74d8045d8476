// XML access for the MSN and AccuWeather readers: a loaded document and a small cursor
// that walks the children of an element. The cursor visits every child node, not only
// elements: a comment or a text among the children is visited too, with no element, so
// its tag name is "" and it matches nothing. Whitespace-only text between elements is
// not a node, as in the phone's XML document object. Nothing here fails loudly: what is
// missing reads as an empty cursor, "" or the default.
//
// The walk every reader uses:
//   for (XmlCursor child = parent.children(); !XmlCursor::atEnd(parent, child); child.advance())
//     if (child.tagName() == "...") ...
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace zelko::meteo {

class XmlCursor {
 public:
  // The empty cursor: no element, no list.
  XmlCursor() = default;
  // A cursor on one element, without a list (the document's root).
  explicit XmlCursor(pugi::xml_node element);

  // A cursor over the child nodes of the current element, on the first; the empty
  // cursor when there is no element.
  XmlCursor children() const;
  // On to the next node of the list; a cursor without a list stays where it is.
  void advance();
  // True once `cursor` has walked past the last child of `parent`, and for a cursor
  // without a list.
  static bool atEnd(const XmlCursor& parent, const XmlCursor& cursor);

  // A cursor (within the list of children) on the first child element whose tag name is
  // exactly `name`; the empty cursor when there is none.
  XmlCursor childNamed(std::string_view name) const;
  // The current element's tag name; "" without an element.
  std::string tagName() const;
  // The attribute's value; "" when it or the element is missing.
  std::string attribute(std::string_view name) const;
  // The attribute read as a C "%i" number (decimal, 0x hexadecimal, leading-zero octal;
  // "08" reads as 0), clamped to the int range; `fallback` when it does not start with
  // a number or is missing.
  int intAttribute(std::string_view name, int fallback) const;
  // The text content of the current element: the text of all its descendants, with the
  // white space at both ends dropped; "" without an element.
  std::string nodeText() const;

  bool hasElement() const { return !element_.empty(); }

 private:
  void reposition();

  pugi::xml_node node_;     // the node the cursor stands on, of any kind
  pugi::xml_node element_;  // node_ when it is an element
  int64_t index_ = -1;      // position in the list of children; -1 without a list
  uint64_t childCount_ = 0; // child nodes of element_, of any kind
};

// A document loaded from the bytes of a file. The encoding comes from a byte-order mark
// or the XML declaration (UTF-8 without either).
class XmlDocument {
 public:
  // False when the bytes are not a well-formed document; root() is then empty.
  bool load(std::string_view bytes);
  const XmlCursor& root() const { return root_; }

 private:
  pugi::xml_document document_;
  XmlCursor root_;
};

}  // namespace zelko::meteo
