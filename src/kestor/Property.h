// One property of a device. Values are read live from the library's record.
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "kestor/KESTOR.h"

class KESTOR::Property {
public:
  // Builds the property and one item object per text, number, switch, light or BLOB item.
  Property(std::shared_ptr<Device> device, kestor_property *property);

  // Live reads of the record.
  uint32_t state() const { return property->state; }
  uint32_t type() const { return property->type; }
  uint32_t perm() const { return property->perm; }
  uint32_t rule() const { return property->rule; }
  // "NSStatusAvailable" (1), "NSStatusPartiallyAvailable" (2), "NSStatusUnavailable" (3),
  // "NSStatusNone" (any other state).
  QString stateImage() const;
  // The record's label.
  QString description() const;
  // The item of that name, or nullptr.
  Item *item(const QString &itemName) const;
  // The items in record order.
  std::vector<Item *> orderedItems() const;
  // The value of the number item of that name, when the property has one.
  std::optional<double> number(const QString &itemName) const;
  // Writes the property and its items to the library's log, whatever the log level.
  void trace() const;
  // Run as the property leaves the model, before the library frees its record: from then on the
  // property and its items read a copy of the record's last values (BLOB items keep their bytes,
  // shared).
  void keepRecord();

  std::shared_ptr<Device> device;
  QString group;
  QString name;
  QStringList itemNames;  // record order, one per item record
  std::map<QString, std::shared_ptr<Item>> items;
  qint64 seq = 0;             // +1 per update
  kestor_property *property;  // the library's record, or keptRecord once the property is deleted
  std::unique_ptr<char[]> keptRecord;
  // The record's type and version when the property was defined; the record keeps them while it
  // lives, and other threads read these instead of the record.
  const uint32_t typeAtDefinition;
  const int16_t versionAtDefinition;
  // Set on the main thread when the property leaves the model.
  std::atomic<bool> deleted{false};
};

// The name for a state code: "NSStatusAvailable", "NSStatusPartiallyAvailable",
// "NSStatusUnavailable" or "NSStatusNone".
QString statusImageName(uint32_t state);
