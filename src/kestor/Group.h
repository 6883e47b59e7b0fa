// One property group of a device.
#pragma once

#include <QString>
#include <map>
#include <memory>

#include "kestor/KESTOR.h"

class KESTOR::Group {
public:
  explicit Group(QString name) : name(std::move(name)) {}
  QString description() const { return name; }

  QString name;
  std::map<QString, std::shared_ptr<Property>> properties;
};
