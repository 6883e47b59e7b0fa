#include "Session.h"

#include "Lifecycle.h"
#include "Log.h"
#include "Outgoing.h"
#include "RecordWriter.h"
#include "Text.h"

#include <cstdlib>
#include <new>

namespace kestor {

struct Session::Call {
  kestor_property_fn kestor_client::*callback;
  kestor_property *record;
  std::optional<std::string> message;
};

namespace {

std::string describe(const Element &element) {
  std::string line = "<" + element.name;
  for (const char *key : {"device", "name"})
    if (const auto *value = element.attribute(key)) line += " " + std::string(key) + "=\"" + value->substr(0, 128) + "\"";
  return line + ">";
}

}  // namespace

Session::Session(Registry &registry, kestor_device *endpoint, std::string peer, Reply reply)
    : registry_(registry),
      endpoint_(endpoint),
      peer_(std::move(peer)),
      reply_(std::move(reply)),
      parser_([this](const Element &element) { handle(element); }) {}

bool Session::feed(const char *data, size_t length) {
  const bool read = parser_.feed(data, length);
  applyPending();
  return read;
}

void Session::applyPending() {
  if (pending_.empty()) return;
  if (!isStopped())  // after stop the executor may never run
    runSynchronised([this] {
      for (Incoming &in : pending_) apply(in);
    });
  pending_.clear();
}

void Session::skip(const std::string &why) { skipped_.push_back("Skipped an element from " + peer_ + ": " + why); }

void Session::flushSkipped() {
  for (const auto &line : skipped_) logLine(LOG_ERROR, line);
  skipped_.clear();
}

void Session::handle(const Element &element) {
  if (logs(LOG_TRAFFIC)) logLine(LOG_TRAFFIC, "Received " + describe(element) + " from " + peer_);
  std::string why;
  auto in = readElement(element, why);
  if (!in) {
    skip(why);
    return flushSkipped();
  }
  switch (in->kind) {
    case Incoming::Kind::Ping:
      applyPending();  // answered once what came before it is applied
      reply_(pingReplyXml(in->uid));
      break;
    case Incoming::Kind::Message:
      applyPending();
      deliverMessage(*in->message);
      break;
    case Incoming::Kind::Ignored:
      break;
    default:
      pending_.push_back(std::move(*in));
  }
}

bool Session::owns(const std::string &device) {
  kestor_device *owner = registry_.owner(device);
  if (!owner || owner == endpoint_) return true;
  // Two connections to one server are plausible (found by DNS-SD and typed in): said once per device.
  if (foreign_.insert(device).second)
    skip("device \"" + device + "\" belongs to another connection; its elements from here are skipped");
  return false;
}

void Session::apply(Incoming &in) {
  if (isStopped()) return;
  std::vector<Call> calls;
  std::vector<void *> released;
  try {
    std::lock_guard lock(registry_.mutex());
    switch (in.kind) {
      case Incoming::Kind::Define: define(in, calls, released); break;
      case Incoming::Kind::Set: update(in, calls, released); break;
      default: remove(in, calls);
    }
  } catch (const std::bad_alloc &) {
    skip("no memory for " + in.device + "." + in.name);
  }
  flushSkipped();  // the log hook, like the callbacks, runs without the registry's lock
  deliver(calls);
  for (void *buffer : released) std::free(buffer);
}

void Session::define(Incoming &in, std::vector<Call> &calls, std::vector<void *> &released) {
  if (!owns(in.device)) return;
  if (kestor_property *old = registry_.live(in.device, in.name); old && !sameShape(*old, in)) {
    registry_.markDeleted(old);
    calls.push_back({&kestor_client::delete_property, old, std::nullopt});
  }
  const auto [record, capacity] = registry_.recordFor(in.device, in.name, static_cast<int32_t>(in.items.size()));
  writeDefinition(*record, capacity, in, released);
  registry_.markLive(record, endpoint_);
  calls.push_back({&kestor_client::define_property, record, std::move(in.message)});
}

void Session::update(Incoming &in, std::vector<Call> &calls, std::vector<void *> &released) {
  kestor_property *record = registry_.live(in.device, in.name);
  if (!record) return skip("update of unknown property " + in.device + "." + in.name);
  if (!owns(in.device)) return;
  if (record->type != in.type) return skip("update of " + in.device + "." + in.name + " with another type");
  writeTargets(*record, registry_.takeSent(record));
  std::vector<std::string> unknown;
  writeUpdate(*record, in, released, unknown);
  for (const auto &item : unknown) skip("update of unknown item " + in.device + "." + in.name + "." + item);
  calls.push_back({&kestor_client::update_property, record, std::move(in.message)});
}

void Session::remove(Incoming &in, std::vector<Call> &calls) {
  if (!owns(in.device)) return;
  if (in.name.empty()) {
    removeDevice(in.device, calls);
    if (!calls.empty()) calls.back().message = std::move(in.message);
    return;
  }
  kestor_property *record = registry_.live(in.device, in.name);
  if (!record) return skip("deletion of unknown property " + in.device + "." + in.name);
  registry_.markDeleted(record);
  calls.push_back({&kestor_client::delete_property, record, std::move(in.message)});
}

void Session::removeDevice(const std::string &device, std::vector<Call> &calls) {
  const auto records = registry_.liveRecords(device);
  if (records.empty()) return;
  for (auto *record : records) registry_.markDeleted(record);
  calls.push_back({&kestor_client::delete_property, registry_.deviceRecord(device), std::nullopt});
}

std::vector<std::string> Session::end() {
  std::vector<std::string> devices;
  const auto step = [&] {
    std::vector<Call> calls;
    {
      std::lock_guard lock(registry_.mutex());
      devices = registry_.devicesOf(endpoint_);
      for (const auto &device : devices) removeDevice(device, calls);
    }
    if (!isStopped()) deliver(calls);
  };
  if (isStopped()) step();  // only the registry is touched: no executor, no callback
  else runSynchronised(step);
  return devices;
}

void Session::deliver(const std::vector<Call> &calls) {
  kestor_client *client = admittedClient();
  if (!client) return;
  for (const Call &call : calls)
    if (auto callback = client->*call.callback)
      callback(client, endpoint_, call.record, call.message ? call.message->c_str() : nullptr);
}

void Session::deliverMessage(const std::string &text) {
  kestor_client *client = admittedClient();
  if (client && client->send_message) client->send_message(client, endpoint_, text.c_str());
}

}  // namespace kestor
