#include "kestor/Device.h"

#include "kestor/Group.h"
#include "kestor/Property.h"
#include "kestor/RecordText.h"

KESTOR::Device::Device(QString name) : name(std::move(name)) {}

std::shared_ptr<KESTOR::Property> KESTOR::Device::property(kestor_property *record) {
  const QString propertyName = nameFromField(record->name);
  if (auto found = properties.find(propertyName); found != properties.end()) return found->second;

  auto created = std::make_shared<Property>(shared_from_this(), record);
  properties.emplace(propertyName, created);
  auto &group = groups[created->group];
  if (!group) group = std::make_shared<Group>(created->group);
  group->properties.emplace(propertyName, created);
  if (propertyName == u"CONNECTION") connectionProperty = created;
  return created;
}
