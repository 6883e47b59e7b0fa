// One item of a property; subclasses by the property's type read their values live.
#pragma once

#include <QString>

#include "kestor/KESTOR.h"

class KESTOR::Item {
public:
  Item(QString name, kestor_item *item) : name(std::move(name)), item(item) {}
  virtual ~Item() = default;
  // The record's label.
  QString description() const;

  QString name;
  kestor_item *item;
};
