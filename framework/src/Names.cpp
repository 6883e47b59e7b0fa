#include "Names.h"

#include <array>

namespace kestor {

namespace {

struct Name {
  std::string_view bus;
  std::string_view server;
};

struct PropertyNames {
  Name property;
  std::array<Name, 3> items;  // unused slots are empty
};

constexpr std::array<PropertyNames, 4> TABLE{{
    {{"CONNECTION", "CONNECTION"}, {{{"CONNECTED", "CONNECT"}, {"DISCONNECTED", "DISCONNECT"}, {}}}},
    {{"MOUNT_EQUATORIAL_COORDINATES", "EQUATORIAL_EOD_COORD"}, {}},
    {{"GEOGRAPHIC_COORDINATES", "GEOGRAPHIC_COORD"},
     {{{"LATITUDE", "LAT"}, {"LONGITUDE", "LONG"}, {"ELEVATION", "ELEV"}}}},
    {{"MOUNT_HORIZONTAL_COORDINATES", "HORIZONTAL_COORD"}, {}},
}};

std::string_view from(const Name &name, Direction direction) {
  return direction == Direction::FromServer ? name.server : name.bus;
}

std::string_view to(const Name &name, Direction direction) {
  return direction == Direction::FromServer ? name.bus : name.server;
}

const PropertyNames *find(std::string_view property, Direction direction) {
  for (const auto &entry : TABLE)
    if (from(entry.property, direction) == property) return &entry;
  return nullptr;
}

}  // namespace

std::string_view translateProperty(std::string_view property, Direction direction) {
  const auto *entry = find(property, direction);
  return entry ? to(entry->property, direction) : property;
}

std::string_view translateItem(std::string_view property, std::string_view item, Direction direction) {
  const auto *entry = find(property, direction);
  if (!entry) return item;
  for (const auto &name : entry->items)
    if (!name.bus.empty() && from(name, direction) == item) return to(name, direction);
  return item;
}

}  // namespace kestor
