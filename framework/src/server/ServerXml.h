// Writing the server's elements: a parsed element back to text, and the elements the server makes
// itself.
#pragma once

#include "Element.h"

#include <string>
#include <string_view>

namespace kestor {

// The element as XML, attribute values and text escaped. Children's text is trimmed (drivers pad
// their values with white space); the element's own text is kept.
std::string elementXml(const Element &element);

// <delProperty device="…"/>, or for one property when the name is not empty.
std::string deletePropertyXml(std::string_view device, std::string_view name);

}  // namespace kestor
