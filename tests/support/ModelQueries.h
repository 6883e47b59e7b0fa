// Questions about a client object's model and message log, asked by tests that watch it from
// outside.
#pragma once

#include "kestor/Model.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

// The property of a device in the model, or null.
inline std::shared_ptr<KESTOR::Property> findProperty(const KESTOR &kestor, const QString &device,
                                                      const QString &name) {
  const auto owner = kestor.devices.find(device);
  if (owner == kestor.devices.end()) return nullptr;
  const auto found = owner->second->properties.find(name);
  return found == owner->second->properties.end() ? nullptr : found->second;
}

// The value of a number item of a property; NaN when there is none.
inline double numberValue(const KESTOR::Property &property, const QString &item) {
  const auto found = property.items.find(item);
  const auto *number =
      found == property.items.end() ? nullptr : dynamic_cast<const KESTOR::NumberItem *>(found->second.get());
  return number ? number->value() : std::nan("");
}

// Entries of the message log containing the text (time stamps left out).
inline int logged(const KESTOR &kestor, const QString &text) {
  return int(std::count_if(kestor.messages.begin(), kestor.messages.end(),
                           [&](const QString &entry) { return entry.mid(13).contains(text); }));
}
