// The define, update and delete handlers: the device model follows the library's records on the
// main thread, and the delegates hear of every change.
#include "kestor/BLOBItem.h"
#include "kestor/Device.h"
#include "kestor/Group.h"
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/Property.h"
#include "kestor/RecordText.h"
#include "kestor/SwitchItem.h"

namespace {

const QString CONNECTION = QStringLiteral("CONNECTION");

// The switch item of that name, when the property has one.
const KESTOR::SwitchItem *switchItem(const KESTOR::Property &property, const QString &name) {
  return dynamic_cast<const KESTOR::SwitchItem *>(property.item(name));
}

}  // namespace

std::shared_ptr<KESTOR::Device> KESTOR::device(const kestor_property *record) {
  const QString name = nameFromField(record->device);
  auto &device = devices[name];
  if (!device) device = std::make_shared<Device>(name);
  return device;
}

void KESTOR::applyConnectionRule(Property &property) {
  Device &owner = *property.device;
  const uint32_t state = property.state();
  if (state == KESTOR_STATE_ALERT) {
    owner.connected = false;
    owner.disconnected = true;
    return;
  }
  const bool ok = state == KESTOR_STATE_OK;
  if (const SwitchItem *on = switchItem(property, QStringLiteral("CONNECTED"))) owner.connected = ok && on->value();
  if (const SwitchItem *off = switchItem(property, QStringLiteral("DISCONNECTED")))
    owner.disconnected = ok && off->value();
}

void KESTOR::handleDefineProperty(kestor_property *record) {
  const auto owner = device(record);
  if (owner->properties.count(nameFromField(record->name)) != 0) return;
  const auto property = owner->property(record);
  liveProperties_[record] = property;
  if (property->name == CONNECTION) applyConnectionRule(*property);
  notify([&](KESTORDelegate &receiver) { receiver.propertyDefined(property); });
}

void KESTOR::handleUpdateProperty(kestor_property *record) {
  std::shared_ptr<Property> property;
  if (const auto live = liveProperties_.find(record); live != liveProperties_.end()) {
    property = live->second;
  } else {  // by its names, as a property the model has from before its record
    const auto owner = device(record);
    const auto found = owner->properties.find(nameFromField(record->name));
    if (found == owner->properties.end()) return;
    property = found->second;
  }
  ++property->seq;
  if (property->name == CONNECTION) {
    applyConnectionRule(*property);
  } else if (property->type() == KESTOR_BLOB) {
    for (auto &[name, item] : property->items) static_cast<BLOBItem &>(*item).rollOver();
  }
  notify([&](KESTORDelegate &receiver) { receiver.propertyChanged(property); });
}

void KESTOR::handleDeleteProperty(kestor_property *record) {
  const auto owner = device(record);
  const QString name = nameFromField(record->name);
  if (!name.isEmpty()) {
    if (owner->properties.count(name) != 0) removeProperty(owner, name);
    return;
  }
  QStringList snapshot;
  for (const auto &[propertyName, property] : owner->properties) snapshot.append(propertyName);
  for (const QString &propertyName : snapshot) {
    if (owner->properties.count(propertyName) != 0) removeProperty(owner, propertyName);
  }
}

void KESTOR::removeProperty(const std::shared_ptr<Device> &owner, const QString &name) {
  const auto property = owner->properties.at(name);
  liveProperties_.erase(property->property);  // before the property keeps a copy of the record
  owner->properties.erase(name);
  if (auto group = owner->groups.find(property->group); group != owner->groups.end()) {
    group->second->properties.erase(name);
    if (group->second->properties.empty()) owner->groups.erase(group);
  }
  if (owner->properties.empty()) {
    auto listed = devices.find(owner->name);
    if (listed != devices.end() && listed->second == owner) devices.erase(listed);
  }
  property->keepRecord();
  property->deleted = true;
  notify([&](KESTORDelegate &receiver) { receiver.propertyDeleted(property); });
}
