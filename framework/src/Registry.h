// The library's property records: one live record per (device, property) name pair. A
// redefinition of the same shape updates the record in place; a deletion takes the record out,
// and whoever took it out frees it (freeRecord) once the callback announcing the deletion has
// returned, so memory follows the live properties. Each bus device belongs to the endpoint that
// defined it until its last property goes.
//
// Not thread-safe by itself: callers hold mutex() around every call and release it before they
// call a client callback.
#pragma once

#include "Device.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestor {

// Number values that this client sent to a property, by item name.
using SentNumbers = std::vector<std::pair<std::string, double>>;

// Frees a record and its items' in-memory BLOB values.
void freeRecord(kestor_property *record);

struct RecordDeleter {
  void operator()(kestor_property *record) const { freeRecord(record); }
};
using RecordPtr = std::unique_ptr<kestor_property, RecordDeleter>;

// A new zero-filled record of `count` items with its device and name written.
RecordPtr newRecord(std::string_view device, std::string_view name, int32_t count);

class Registry {
public:
  Registry() = default;
  Registry(const Registry &) = delete;
  Registry &operator=(const Registry &) = delete;
  ~Registry();  // frees the live records

  std::mutex &mutex() { return mutex_; }

  // The live record of a property, or null.
  kestor_property *live(std::string_view device, std::string_view name) const;

  // Makes a record the live one of its pair (the registry then owns it). The pair has none.
  void markLive(RecordPtr record, kestor_device *owner);
  // Takes the live record out; the caller owns it now.
  RecordPtr markDeleted(kestor_property *record);

  // The endpoint that owns the device, or null when it has no live property.
  kestor_device *owner(std::string_view device) const;

  // Names of the devices that the endpoint owns, and the live records of one device.
  std::vector<std::string> devicesOf(const kestor_device *owner) const;
  std::vector<kestor_property *> liveRecords(std::string_view device) const;

  // Numbers sent to a live record, kept until its next update or repeated definition (written where
  // the application reads records) takes them; a deletion drops them.
  void keepSent(kestor_property *record, SentNumbers sent);
  SentNumbers takeSent(kestor_property *record);

private:
  struct DeviceEntry {
    kestor_device *owner = nullptr;
    std::map<std::string, kestor_property *, std::less<>> live;
  };

  std::mutex mutex_;
  std::unordered_map<std::string, DeviceEntry> devices_;  // only devices with live properties
  std::unordered_map<kestor_property *, SentNumbers> sent_;
};

// The registry behind the library's connections; never destroyed.
Registry &libraryRegistry();

}  // namespace kestor
