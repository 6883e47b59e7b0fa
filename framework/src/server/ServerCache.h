// The server's copy of its drivers' property definitions, kept current by their updates, so that
// every client that asks gets the definitions with the values of now. Not thread-safe: the server
// hub guards it.
#pragma once

#include "Element.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestor {

class ServerCache {
public:
  // Keeps a def*Vector (its message left out), replacing an earlier definition of the property.
  void define(const Element &definition);
  // Takes the state and the item values of a set*Vector into its definition; false when the
  // property is not defined. BLOB contents are never kept.
  bool update(const Element &update);
  // Forgets one property, or every property of the device when the name is empty.
  void remove(std::string_view device, std::string_view name);

  // The definitions of the device (every device when empty) and property (every property when
  // empty) as XML, in definition order.
  std::vector<std::string> replay(std::string_view device, std::string_view name) const;

private:
  std::vector<Element>::iterator find(std::string_view device, std::string_view name);
  std::vector<Element> definitions_;
};

// The "device" and "name" attributes of an element ("" when absent).
std::string_view deviceOf(const Element &element);
std::string_view nameOf(const Element &element);

}  // namespace kestor
