// One device of the model: its properties and groups by name and its connection flags.
#pragma once

#include <QString>
#include <map>
#include <memory>

#include "kestor/KESTOR.h"

class KESTOR::Device : public std::enable_shared_from_this<KESTOR::Device> {
public:
  explicit Device(QString name);

  // The device's property named like the record; created, put in its group (made when new)
  // and, for "CONNECTION", remembered as connectionProperty when the device has none of that name.
  std::shared_ptr<Property> property(kestor_property *record);
  QString description() const { return name; }

  QString name;
  std::map<QString, std::shared_ptr<Property>> properties;
  std::map<QString, std::shared_ptr<Group>> groups;
  bool connected = false;
  bool disconnected = true;
  // The "CONNECTION" property once defined (not kept alive by the device).
  std::weak_ptr<Property> connectionProperty;
};
