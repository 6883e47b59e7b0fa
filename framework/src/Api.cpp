// The C entry points of the client side: start and stop, attaching the client, connections and
// the changes sent to servers.
#include "Connection.h"
#include "Lifecycle.h"
#include "Log.h"
#include "Numbers.h"
#include "Outgoing.h"
#include "Registry.h"
#include "Text.h"
#include "server/DriverLink.h"
#include "server/ServerListener.h"

#include <kestor.h>

#include <string>
#include <utility>
#include <vector>

bool kestor_is_sandboxed = false;
kestor_property KESTOR_ALL_PROPERTIES = {};

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

constexpr size_t NAME_BYTES = 128;   // the application's item-name buffers
constexpr size_t VALUE_BYTES = 512;  // its text-value buffers

// The connection or driver that defined the device, or null (with a log line).
std::shared_ptr<kestor_device> route(std::string_view device) {
  kestor_device *owner = nullptr;
  {
    auto &registry = kestor::libraryRegistry();
    std::lock_guard lock(registry.mutex());
    owner = registry.owner(device);
  }
  std::shared_ptr<kestor_device> connection = owner ? kestor::connections::byEndpoint(owner) : nullptr;
  if (!connection && owner) connection = kestor::drivers::byEndpoint(owner);
  if (!connection) kestor::logLine(kestor::LOG_ERROR, "No connection serves device \"" + std::string(device) + "\"");
  return connection;
}

template <typename Value>
kestor_result change(const char *type, const char *device, const char *property, int32_t count, char **items,
                     Value *values, std::string (*format)(const Value &)) {
  if (!device || !property || count < 0 || (count > 0 && (!items || !values))) return KESTOR_INVALID;
  try {
    Items pairs;
    for (int32_t i = 0; i < count; ++i) {
      if (!items[i]) return KESTOR_INVALID;
      pairs.emplace_back(kestor::fieldText(items[i], NAME_BYTES), format(values[i]));
    }
    const auto connection = route(device);
    if (!connection) return KESTOR_NOT_FOUND;
    return connection->send(kestor::newVectorXml(type, device, property, pairs)) ? KESTOR_OK : KESTOR_FAILED;
  } catch (const std::exception &) {
    return KESTOR_NO_MEMORY;
  }
}

// The numbers just sent become their items' targets, which the server's updates leave alone. They
// are written with the property's next update, where records are written, so that the application
// reads them without a race (the server answers a change with an update).
kestor_result keepTargets(const char *device, const char *property, int32_t count, char **items, const double *values) {
  try {
    kestor::SentNumbers sent;
    for (int32_t i = 0; i < count; ++i) sent.emplace_back(kestor::fieldText(items[i], NAME_BYTES), values[i]);
    auto &registry = kestor::libraryRegistry();
    std::lock_guard lock(registry.mutex());
    if (kestor_property *record = registry.live(device, property); record && record->type == KESTOR_NUMBER)
      registry.keepSent(record, std::move(sent));
    return KESTOR_OK;
  } catch (const std::exception &) {
    return KESTOR_NO_MEMORY;
  }
}

std::string textValue(char *const &value) { return value ? std::string(kestor::fieldText(value, VALUE_BYTES)) : ""; }
std::string numberValue(const double &value) { return kestor::formatNumber(value); }
std::string switchValue(const bool &value) { return value ? "On" : "Off"; }

}  // namespace

kestor_result kestor_start(void) {
  kestor::setStopped(false);
  kestor::setLogMuted(false);
  kestor::logLine(kestor::LOG_NOTICE, "KESTOR framework started");
  return KESTOR_OK;
}

kestor_result kestor_stop(void) {
  kestor_client *client = kestor::admittedClient();
  kestor::logLine(kestor::LOG_NOTICE, "KESTOR framework stopping");
  kestor::setStopped(true);
  kestor::stopServer();
  for (const auto &connection : kestor::connections::all()) connection->close();
  if (client && client->detach) client->detach(client);
  kestor::setClient(nullptr);
  kestor::setLogMuted(true);
  return KESTOR_OK;
}

kestor_result kestor_attach_client(kestor_client *client) {
  if (!client) return KESTOR_INVALID;
  kestor::setClient(client);
  if (client->attach) client->attach(client);
  return KESTOR_OK;
}

kestor_result kestor_enumerate_properties(kestor_client *, kestor_property *which) {
  try {
    if (!which || which == &KESTOR_ALL_PROPERTIES || kestor::fieldText(which->device).empty()) {
      for (const auto &connection : kestor::connections::all()) connection->send(kestor::getPropertiesXml("", ""));
      for (const auto &driver : kestor::drivers::all()) driver->send(kestor::getPropertiesXml("", ""));
      return KESTOR_OK;
    }
    const auto device = kestor::fieldText(which->device);
    const auto connection = route(device);
    if (!connection) return KESTOR_NOT_FOUND;
    return connection->send(kestor::getPropertiesXml(device, kestor::fieldText(which->name))) ? KESTOR_OK
                                                                                              : KESTOR_FAILED;
  } catch (const std::exception &) {
    return KESTOR_NO_MEMORY;
  }
}

kestor_result kestor_change_text_property(kestor_client *, const char *device, const char *property, int32_t count,
                                          char **items, char **values) {
  return change("Text", device, property, count, items, values, textValue);
}

kestor_result kestor_change_number_property(kestor_client *, const char *device, const char *property, int32_t count,
                                            char **items, double *values) {
  const kestor_result result = change("Number", device, property, count, items, values, numberValue);
  return result == KESTOR_OK ? keepTargets(device, property, count, items, values) : result;
}

kestor_result kestor_change_switch_property(kestor_client *, const char *device, const char *property, int32_t count,
                                            char **items, bool *values) {
  return change("Switch", device, property, count, items, values, switchValue);
}

kestor_result kestor_enable_blob(kestor_client *, kestor_property *property, uint32_t mode) {
  if (!property) return KESTOR_INVALID;
  try {
    const auto device = kestor::fieldText(property->device);
    const auto connection = route(device);
    if (!connection) return KESTOR_NOT_FOUND;
    return connection->send(kestor::enableBlobXml(device, kestor::fieldText(property->name), mode)) ? KESTOR_OK
                                                                                                    : KESTOR_FAILED;
  } catch (const std::exception &) {
    return KESTOR_NO_MEMORY;
  }
}

kestor_result kestor_connect_server(const char *name, const char *host, int32_t port, kestor_server_entry **entry) {
  return kestor::Connection::open(name, host, port, entry);
}

kestor_result kestor_disconnect_server(kestor_server_entry *entry) {
  const auto connection = kestor::connections::byEntry(entry);
  if (!connection) return KESTOR_NOT_FOUND;
  kestor::logLine(kestor::LOG_NOTICE, "Disconnecting from " + connection->peer());
  connection->close();
  entry->thread_started = false;
  return KESTOR_OK;
}
