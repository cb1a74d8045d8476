// The Google reader's way with a document: no parsing at all, only substring searches in
// its text. An element is found by "<" followed by its name, so the name "icon" also
// finds an element "iconx", and the first closing tag after an opening one ends the
// element, so one nested in another of the same name is cut short. What is missing reads
// as "".
#pragma once

#include <cstddef>
#include <string_view>

namespace zelko::meteo {

// The `n`-th (from 0) element called `name`, from its "<" through its closing tag, or
// through the first "/>" after it when no closing tag follows; "" when there is no such
// element or neither end.
std::string_view elementText(std::string_view text, std::string_view name, size_t n);

// The value of attribute `attr` of the first element called `name`: the text between
// the double quotes after `attr=`; "" when either is missing or the value is not in
// double quotes.
std::string_view attributeOf(std::string_view text, std::string_view name, std::string_view attr);

// How many times "<" followed by `name` occurs (closing tags begin "</" and do not count).
size_t countElements(std::string_view text, std::string_view name);

}  // namespace zelko::meteo
