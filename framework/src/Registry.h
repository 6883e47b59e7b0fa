// The library's property records: one record per (device, property) name pair for the life of the
// registry, so the application may keep pointers into it. A definition reuses the pair's record
// (growing it into a new one only when it needs more items); a deletion only marks it not live.
// Each bus device belongs to the endpoint that defined it until its last property goes.
//
// Not thread-safe by itself: callers hold mutex() around every call and release it before they
// call a client callback.
#pragma once

#include "Device.h"

#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestor {

// Number values that this client sent to a property, by item name.
using SentNumbers = std::vector<std::pair<std::string, double>>;

class Registry {
 public:
  Registry() = default;
  Registry(const Registry &) = delete;
  Registry &operator=(const Registry &) = delete;
  ~Registry();  // frees every record and BLOB buffer (the library's own registry is never destroyed)

  std::mutex &mutex() { return mutex_; }

  // The live record of a property, or null.
  kestor_property *live(std::string_view device, std::string_view name) const;

  struct Sized {
    kestor_property *record;
    int32_t capacity;
  };
  // The pair's record, able to hold `count` items: the existing one when it is large enough, else a
  // new zero-filled one (device and name written). The record is not live until markLive.
  Sized recordFor(std::string_view device, std::string_view name, int32_t count);

  void markLive(kestor_property *record, kestor_device *owner);
  void markDeleted(kestor_property *record);

  // The endpoint that owns the device, or null when it has no live property.
  kestor_device *owner(std::string_view device) const;

  // Names of the devices that the endpoint owns, and the live records of one device.
  std::vector<std::string> devicesOf(const kestor_device *owner) const;
  std::vector<kestor_property *> liveRecords(std::string_view device) const;

  // A record that names only the device (property name ""), for device-wide deletions.
  kestor_property *deviceRecord(std::string_view device);

  // Numbers sent to a live record, kept until its next update (written where the application reads
  // records) takes them; a definition or deletion drops them.
  void keepSent(kestor_property *record, SentNumbers sent);
  SentNumbers takeSent(kestor_property *record);

 private:
  struct Slot {
    kestor_property *record = nullptr;
    int32_t capacity = 0;
  };
  struct DeviceEntry {
    kestor_device *owner = nullptr;
    std::set<std::string, std::less<>> live;
    kestor_property *wide = nullptr;
  };
  static std::string key(std::string_view device, std::string_view name);

  std::mutex mutex_;
  std::unordered_map<std::string, Slot> slots_;
  std::unordered_map<std::string, DeviceEntry> devices_;
  std::vector<kestor_property *> retired_;  // records outgrown by a redefinition, kept readable
  std::unordered_map<kestor_property *, SentNumbers> sent_;
};

// The registry behind the library's connections; never destroyed, as the application keeps
// pointers into its records.
Registry &libraryRegistry();

// Bytes of a property record holding `capacity` items.
size_t recordBytes(int32_t capacity);

// Frees the in-memory BLOB values of a record's items.
void freeBlobValues(kestor_property *record, int32_t capacity);

}  // namespace kestor
