#include "ZelkoMeteo/xml_cursor.h"

#include <climits>
#include <cstdlib>

#include "ZelkoMeteo/feed_text.h"

namespace zelko::meteo {
namespace {

// Comments and processing instructions are nodes of the tree, as they are in the phone's
// document object; text that is only white space is not.
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

uint64_t countChildren(pugi::xml_node node) {
  uint64_t count = 0;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) ++count;
  return count;
}

}  // namespace

XmlCursor::XmlCursor(pugi::xml_node element) : node_(element) { reposition(); }

void XmlCursor::reposition() {
  element_ = node_.type() == pugi::node_element ? node_ : pugi::xml_node();
  childCount_ = element_ ? countChildren(element_) : 0;
}

XmlCursor XmlCursor::children() const {
  if (!element_) return XmlCursor();
  XmlCursor c(element_.first_child());
  c.index_ = 0;
  return c;
}

void XmlCursor::advance() {
  if (index_ < 0) return;
  ++index_;
  node_ = node_.next_sibling();
  reposition();
}

bool XmlCursor::atEnd(const XmlCursor& parent, const XmlCursor& cursor) {
  // Without a list there is nothing to walk: ending there keeps a walk over the children
  // of nothing from running forever.
  return cursor.index_ < 0 || !cursor.node_ ||
         static_cast<uint64_t>(cursor.index_) >= parent.childCount_;
}

XmlCursor XmlCursor::childNamed(std::string_view name) const {
  XmlCursor c = children();
  for (; c.node_; c.advance()) {
    if (c.element_ && c.tagName() == name) return c;
  }
  return XmlCursor();
}

std::string XmlCursor::tagName() const { return validUtf8(element_.name()); }

std::string XmlCursor::attribute(std::string_view name) const {
  if (!element_) return {};
  return validUtf8(element_.attribute(std::string(name).c_str()).value());
}

int XmlCursor::intAttribute(std::string_view name, int fallback) const {
  if (!element_) return fallback;
  pugi::xml_attribute attr = element_.attribute(std::string(name).c_str());
  if (!attr) return fallback;
  const char* text = attr.value();
  char* end = nullptr;
  long long value = std::strtoll(text, &end, 0);
  if (end == text) return fallback;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string XmlCursor::nodeText() const {
  if (!element_) return {};
  std::string text;
  // A walk without recursion: a document may nest deeper than any stack.
  pugi::xml_node n = element_.first_child();
  while (n) {
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) text += n.value();
    if (n.type() == pugi::node_element && n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n != element_ && !n.next_sibling()) n = n.parent();
    n = n == element_ ? pugi::xml_node() : n.next_sibling();
  }
  size_t begin = 0, end = text.size();
  while (begin < end && isXmlSpace(text[begin])) ++begin;
  while (end > begin && isXmlSpace(text[end - 1])) --end;
  return validUtf8(std::string_view(text).substr(begin, end - begin));
}

bool XmlDocument::load(std::string_view bytes) {
  pugi::xml_parse_result result =
      document_.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_auto);
  pugi::xml_node element = result ? document_.document_element() : pugi::xml_node();
  root_ = element ? XmlCursor(element) : XmlCursor();
  return result && element;
}

}  // namespace zelko::meteo
