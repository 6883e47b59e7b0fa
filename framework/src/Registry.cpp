#include "Registry.h"

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

size_t recordBytes(int32_t capacity) {
  return offsetof(kestor_property, items) + static_cast<size_t>(capacity) * sizeof(kestor_item);
}

void freeBlobValues(kestor_property *record, int32_t capacity) {
  if (record->type != KESTOR_BLOB) return;
  for (int32_t i = 0; i < capacity; ++i) {
    std::free(record->items[i].blob_value);
    record->items[i].blob_value = nullptr;
    record->items[i].blob_size = 0;
  }
}

namespace {
kestor_property *allocateRecord(std::string_view device, std::string_view name, int32_t capacity) {
  auto *record = static_cast<kestor_property *>(std::calloc(1, recordBytes(capacity)));
  if (!record) throw std::bad_alloc();
  copyField(record->device, device);
  copyField(record->name, name);
  return record;
}
}  // namespace

Registry::~Registry() {
  for (auto &[key, slot] : slots_) {
    freeBlobValues(slot.record, slot.capacity);
    std::free(slot.record);
  }
  for (auto *record : retired_) {
    freeBlobValues(record, record->count);
    std::free(record);
  }
  for (auto &[name, device] : devices_) std::free(device.wide);
}

std::string Registry::key(std::string_view device, std::string_view name) {
  std::string k;
  k.reserve(device.size() + name.size() + 1);
  k.append(device).push_back('\0');
  k.append(name);
  return k;
}

kestor_property *Registry::live(std::string_view device, std::string_view name) const {
  const auto d = devices_.find(std::string(device));
  if (d == devices_.end() || !d->second.live.count(name)) return nullptr;
  return slots_.at(key(device, name)).record;
}

Registry::Sized Registry::recordFor(std::string_view device, std::string_view name, int32_t count) {
  Slot &slot = slots_[key(device, name)];
  if (slot.record && slot.capacity >= count) return {slot.record, slot.capacity};
  const int32_t capacity = std::max<int32_t>({count, 1, slot.capacity * 2});
  if (slot.record) retired_.push_back(slot.record);
  slot.record = allocateRecord(device, name, capacity);
  slot.capacity = capacity;
  return {slot.record, slot.capacity};
}

void Registry::markLive(kestor_property *record, kestor_device *owner) {
  sent_.erase(record);  // a definition sets the targets anew
  DeviceEntry &entry = devices_[std::string(fieldText(record->device))];
  entry.owner = owner;
  entry.live.emplace(fieldText(record->name));
}

void Registry::markDeleted(kestor_property *record) {
  sent_.erase(record);
  const auto d = devices_.find(std::string(fieldText(record->device)));
  if (d == devices_.end()) return;
  DeviceEntry &entry = d->second;
  const auto p = entry.live.find(fieldText(record->name));
  if (p != entry.live.end()) entry.live.erase(p);
  if (entry.live.empty()) entry.owner = nullptr;
}

kestor_device *Registry::owner(std::string_view device) const {
  const auto d = devices_.find(std::string(device));
  return d == devices_.end() ? nullptr : d->second.owner;
}

std::vector<std::string> Registry::devicesOf(const kestor_device *owner) const {
  std::vector<std::string> names;
  for (const auto &[name, entry] : devices_)
    if (entry.owner == owner && !entry.live.empty()) names.push_back(name);
  return names;
}

std::vector<kestor_property *> Registry::liveRecords(std::string_view device) const {
  std::vector<kestor_property *> records;
  const auto d = devices_.find(std::string(device));
  if (d == devices_.end()) return records;
  for (const auto &name : d->second.live) records.push_back(slots_.at(key(device, name)).record);
  return records;
}

kestor_property *Registry::deviceRecord(std::string_view device) {
  DeviceEntry &entry = devices_[std::string(device)];
  if (!entry.wide) entry.wide = allocateRecord(device, "", 0);
  return entry.wide;
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
