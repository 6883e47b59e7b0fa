// The bus's own property and item names next to the older standard names that INDI servers use.
// Incoming names are turned into the bus's names, outgoing ones back; every other name passes as it is.
#pragma once

#include <string_view>

namespace kestor {

enum class Direction { FromServer, ToServer };

// The property name on the other side.
std::string_view translateProperty(std::string_view property, Direction direction);

// The name on the other side of an item of `property`, which is named as on the near side.
std::string_view translateItem(std::string_view property, std::string_view item, Direction direction);

}  // namespace kestor
