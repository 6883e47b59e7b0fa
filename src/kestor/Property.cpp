#include "kestor/Property.h"

#include "kestor/BLOBItem.h"
#include "kestor/LightItem.h"
#include "kestor/NumberItem.h"
#include "kestor/RecordText.h"
#include "kestor/SwitchItem.h"
#include "kestor/TextItem.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// The library's trace level, at which it writes a property and its items.
constexpr uint32_t TRACE_LEVEL = 3;

std::shared_ptr<KESTOR::Item> makeItem(uint32_t type, const QString &name, kestor_item *record) {
  switch (type) {
  case KESTOR_TEXT: return std::make_shared<KESTOR::TextItem>(name, record);
  case KESTOR_NUMBER: return std::make_shared<KESTOR::NumberItem>(name, record);
  case KESTOR_SWITCH: return std::make_shared<KESTOR::SwitchItem>(name, record);
  case KESTOR_LIGHT: return std::make_shared<KESTOR::LightItem>(name, record);
  case KESTOR_BLOB: return std::make_shared<KESTOR::BLOBItem>(name, record);
  default: return nullptr;
  }
}

}  // namespace

KESTOR::Property::Property(std::shared_ptr<Device> device, kestor_property *property)
    : device(std::move(device)),
      group(nameFromField(property->group)),
      name(nameFromField(property->name)),
      property(property),
      typeAtDefinition(property->type),
      versionAtDefinition(property->version) {
  for (int32_t i = 0; i < property->count; ++i) {
    kestor_item *record = &property->items[i];
    const QString itemName = nameFromField(record->name);
    itemNames.append(itemName);
    if (auto item = makeItem(property->type, itemName, record)) items[itemName] = std::move(item);
  }
}

void KESTOR::Property::keepRecord() {
  if (keptRecord) return;
  const size_t bytes = offsetof(kestor_property, items) + size_t(std::max(property->count, 1)) * sizeof(kestor_item);
  keptRecord = std::make_unique_for_overwrite<char[]>(bytes);
  auto *copy = reinterpret_cast<kestor_property *>(keptRecord.get());
  std::memcpy(copy, property, bytes);
  for (auto &[itemName, item] : items) {
    const ptrdiff_t index = item->item - property->items;
    if (auto *blob = dynamic_cast<BLOBItem *>(item.get())) {
      blob->keepBytes();
      copy->items[index].blob_value = nullptr;  // freed with the record
    }
    item->item = &copy->items[index];
  }
  property = copy;
}

QString KESTOR::Property::stateImage() const { return statusImageName(state()); }

QString KESTOR::Property::description() const { return textFromField(property->label); }

QString statusImageName(uint32_t state) {
  switch (state) {
  case KESTOR_STATE_OK: return QStringLiteral("NSStatusAvailable");
  case KESTOR_STATE_BUSY: return QStringLiteral("NSStatusPartiallyAvailable");
  case KESTOR_STATE_ALERT: return QStringLiteral("NSStatusUnavailable");
  default: return QStringLiteral("NSStatusNone");
  }
}

KESTOR::Item *KESTOR::Property::item(const QString &itemName) const {
  const auto found = items.find(itemName);
  return found == items.end() ? nullptr : found->second.get();
}

std::vector<KESTOR::Item *> KESTOR::Property::orderedItems() const {
  std::vector<Item *> ordered;
  ordered.reserve(itemNames.size());
  for (const QString &itemName : itemNames) {
    if (Item *found = item(itemName)) {
      ordered.push_back(found);
    }
  }
  return ordered;
}

std::optional<double> KESTOR::Property::number(const QString &itemName) const {
  const auto *found = dynamic_cast<const NumberItem *>(item(itemName));
  return found ? std::optional<double>(found->value()) : std::nullopt;
}

void KESTOR::Property::trace() const {
  const uint32_t saved = kestor_get_log_level();
  kestor_set_log_level(TRACE_LEVEL);
  kestor_trace_property(nullptr, property, true, true);
  kestor_set_log_level(saved);
}
