#include "Registry.h"

#include "BlobMemory.h"
#include "Text.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace kestor {

Registry &libraryRegistry() {
  static auto *registry = new Registry();
  return *registry;
}

void freeRecord(kestor_property *record) {
  if (!record) return;
  if (record->type == KESTOR_BLOB)
    for (int32_t i = 0; i < record->count; ++i) freeBlobMemory(record->items[i].blob_value);
  std::free(record);
}

RecordPtr newRecord(std::string_view device, std::string_view name, int32_t count) {
  const size_t bytes = offsetof(kestor_property, items) + static_cast<size_t>(std::max(count, 1)) * sizeof(kestor_item);
  RecordPtr record(static_cast<kestor_property *>(std::calloc(1, bytes)));
  if (!record) throw std::bad_alloc();
  copyField(record->device, device);
  copyField(record->name, name);
  return record;
}

Registry::~Registry() {
  for (auto &[name, device] : devices_)
    for (auto &[property, record] : device.live) freeRecord(record);
}

kestor_property *Registry::live(std::string_view device, std::string_view name) const {
  const auto d = devices_.find(std::string(device));
  if (d == devices_.end()) return nullptr;
  const auto p = d->second.live.find(name);
  return p == d->second.live.end() ? nullptr : p->second;
}

void Registry::markLive(RecordPtr record, kestor_device *owner) {
  DeviceEntry &entry = devices_[std::string(fieldText(record->device))];
  entry.owner = owner;
  entry.live.emplace(fieldText(record->name), record.get());
  (void)record.release();
}

RecordPtr Registry::markDeleted(kestor_property *record) {
  sent_.erase(record);
  const auto d = devices_.find(std::string(fieldText(record->device)));
  if (d == devices_.end()) return nullptr;
  const auto p = d->second.live.find(fieldText(record->name));
  if (p == d->second.live.end() || p->second != record) return nullptr;
  d->second.live.erase(p);
  if (d->second.live.empty()) devices_.erase(d);
  return RecordPtr(record);
}

kestor_device *Registry::owner(std::string_view device) const {
  const auto d = devices_.find(std::string(device));
  return d == devices_.end() ? nullptr : d->second.owner;
}

std::vector<std::string> Registry::devicesOf(const kestor_device *owner) const {
  std::vector<std::string> names;
  for (const auto &[name, entry] : devices_)
    if (entry.owner == owner) names.push_back(name);
  return names;
}

std::vector<kestor_property *> Registry::liveRecords(std::string_view device) const {
  std::vector<kestor_property *> records;
  const auto d = devices_.find(std::string(device));
  if (d == devices_.end()) return records;
  for (const auto &[name, record] : d->second.live) records.push_back(record);
  return records;
}

void Registry::keepSent(kestor_property *record, SentNumbers sent) {
  SentNumbers &kept = sent_[record];
  kept.insert(kept.end(), std::make_move_iterator(sent.begin()), std::make_move_iterator(sent.end()));
}

SentNumbers Registry::takeSent(kestor_property *record) {
  const auto found = sent_.find(record);
  if (found == sent_.end()) return {};
  SentNumbers sent = std::move(found->second);
  sent_.erase(found);
  return sent;
}

}  // namespace kestor
