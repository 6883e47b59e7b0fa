#include "Session.h"

#include "Lifecycle.h"
#include "Log.h"
#include "Outgoing.h"
#include "RecordWriter.h"
#include "Text.h"

#include <exception>
#include <memory>
#include <new>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kestor {

struct Session::Call {
  kestor_property_fn kestor_client::*callback;
  kestor_property *record;
  std::optional<std::string> message;
};

struct Session::Step {
  std::vector<Call> calls;
  std::vector<void *> released;  // BLOB buffers replaced by a write
  std::vector<RecordPtr> ended;  // records of deleted properties, device-wide ones too

  ~Step() {
    for (void *buffer : released) freeBlobMemory(buffer);
  }
  // After kestor_stop no delete callback tells the application that these records are gone: they
  // stay allocated, readable as before.
  void leaveReadable() {
    for (RecordPtr &record : ended) (void)record.release();
  }
  // Room made first, so that no record leaves the registry without its delete call.
  void makeRoom(size_t records, size_t moreCalls) {
    ended.reserve(ended.size() + records);
    calls.reserve(calls.size() + moreCalls);
  }
};

namespace {

std::string describe(const Element &element) {
  std::string line = "<" + element.name;
  for (const char *key : {"device", "name"})
    if (const auto *value = element.attribute(key))
      line += " " + std::string(key) + "=\"" + value->substr(0, 128) + "\"";
  return line + ">";
}

}  // namespace

Session::Session(Registry &registry, kestor_device *endpoint, std::string peer, Reply reply, Steps steps, Runs runs)
    : registry_(registry),
      runs_(runs),
      endpoint_(endpoint),
      peer_(std::move(peer)),
      reply_(std::move(reply)),
      parser_([this](Element &element) { capture(element); }, {}, BlobContents::Decoded),
      stepsMode_(steps) {}

bool Session::feed(const char *data, size_t length) {
  const bool read = parser_.feed(data, length);
  handOver();
  return read;
}

void Session::capture(Element &element) {
  if (reading_.count == reading_.elements.size()) reading_.elements.emplace_back();
  std::swap(reading_.elements[reading_.count++], element);  // the parser writes the next one over the old
}

void Session::handOver() {
  if (reading_.count == 0) return;
  steps_.wait();  // in order after the step handed over before, which is then done with its batch
  if (stepsMode_ == Steps::Pipelined && kestor_sync_executor) {
    std::swap(reading_, handedOver_);
    steps_.post([this] { runStep(handedOver_); });
  } else {
    runStep(reading_);
  }
}

void Session::runStep(Batch &batch) {
  for (size_t i = 0; i < batch.count; ++i) {
    // No exception may leave a step, which may run on a thread of its own: an element that cannot
    // be read (no memory) is skipped.
    try {
      read(batch.elements[i]);
    } catch (const std::exception &e) {
      skip("<" + batch.elements[i].name.substr(0, 64) + "> not read: " + e.what());
      flushSkipped();
    }
    batch.elements[i].dropLargeBuffers();
  }
  applyPending();
  // Room for the elements of a full read of small updates is kept; a read of many more gives it back.
  constexpr size_t KEPT_ELEMENTS = 1024;
  if (batch.elements.size() > KEPT_ELEMENTS) batch.elements.resize(KEPT_ELEMENTS);
  if (pending_.size() > KEPT_ELEMENTS) pending_.resize(KEPT_ELEMENTS);
  batch.count = 0;
}

void Session::applyPending() {
  if (pendingCount_ == 0) return;
  if (!stopped()) {  // after stop the executor may never run
    runSynchronised([this] {
      for (size_t i = 0; i < pendingCount_; ++i) apply(pending_[i]);
    });
  }
  for (size_t i = 0; i < pendingCount_; ++i) pending_[i].clear();
  pendingCount_ = 0;
}

void Session::skip(const std::string &why) { skipped_.push_back("Skipped an element from " + peer_ + ": " + why); }

void Session::flushSkipped() {
  for (const auto &line : skipped_) logLine(LOG_ERROR, line);
  skipped_.clear();
}

void Session::read(const Element &element) {
  if (logs(LOG_TRAFFIC)) logLine(LOG_TRAFFIC, "Received " + describe(element) + " from " + peer_);
  if (pendingCount_ == pending_.size()) pending_.emplace_back();
  Incoming &in = pending_[pendingCount_];
  std::string why;
  if (!readElement(element, in, why)) {
    skip(why);
    return flushSkipped();
  }
  switch (in.kind) {
  case Incoming::Kind::Ping:
    applyPending();  // answered once what came before it is applied
    reply_(pingReplyXml(in.uid));
    break;
  case Incoming::Kind::Message:
    applyPending();
    deliverMessage(*in.message);
    break;
  case Incoming::Kind::Ignored: break;
  default: ++pendingCount_;
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
  if (stopped()) return;
  Step step;
  try {
    std::lock_guard lock(registry_.mutex());
    switch (in.kind) {
    case Incoming::Kind::Define: define(in, step); break;
    case Incoming::Kind::Set: update(in, step); break;
    default: remove(in, step);
    }
  } catch (const std::bad_alloc &) {
    skip("no memory for " + in.device + "." + in.name);
  }
  flushSkipped();  // the log hook, like the callbacks, runs without the registry's lock
  deliver(step.calls);
  if (stopped()) step.leaveReadable();
}

void Session::define(Incoming &in, Step &step) {
  if (!owns(in.device)) return;
  kestor_property *record = registry_.live(in.device, in.name);
  const bool repeated = record && sameShape(*record, in);
  if (!repeated) {
    RecordPtr fresh = newRecord(in.device, in.name, static_cast<int32_t>(in.items.size()));
    if (record) {  // another shape: the old property ends, a new one begins
      step.makeRoom(1, 2);
      step.ended.push_back(registry_.markDeleted(record));
      step.calls.push_back({&kestor_client::delete_property, record, std::nullopt});
    }
    record = fresh.get();
    registry_.markLive(std::move(fresh), endpoint_);
  }
  // A property defined anew starts from its values; a repeated definition (a refresh) keeps the
  // targets this client sent, as an update does.
  writeDefinition(*record, in, repeated ? Targets::Kept : Targets::FromValues);
  if (repeated) writeTargets(*record, registry_.takeSent(record));
  step.calls.push_back({&kestor_client::define_property, record, std::move(in.message)});
}

void Session::update(Incoming &in, Step &step) {
  kestor_property *record = registry_.live(in.device, in.name);
  if (!record) return skip("update of unknown property " + in.device + "." + in.name);
  if (!owns(in.device)) return;
  if (record->type != in.type) return skip("update of " + in.device + "." + in.name + " with another type");
  writeTargets(*record, registry_.takeSent(record));
  std::vector<std::string> unknown;
  writeUpdate(*record, in, step.released, unknown);
  for (const auto &item : unknown) skip("update of unknown item " + in.device + "." + in.name + "." + item);
  step.calls.push_back({&kestor_client::update_property, record, std::move(in.message)});
}

void Session::remove(Incoming &in, Step &step) {
  if (!owns(in.device)) return;
  if (in.name.empty()) {
    removeDevice(in.device, step);
    if (!step.calls.empty()) step.calls.back().message = std::move(in.message);
    return;
  }
  kestor_property *record = registry_.live(in.device, in.name);
  if (!record) return skip("deletion of unknown property " + in.device + "." + in.name);
  step.makeRoom(1, 1);
  step.ended.push_back(registry_.markDeleted(record));
  step.calls.push_back({&kestor_client::delete_property, record, std::move(in.message)});
}

void Session::removeDevice(const std::string &device, Step &step) {
  const auto records = registry_.liveRecords(device);
  if (records.empty()) return;
  RecordPtr wide = newRecord(device, "", 0);
  step.makeRoom(records.size() + 1, 1);
  for (auto *record : records) step.ended.push_back(registry_.markDeleted(record));
  step.calls.push_back({&kestor_client::delete_property, wide.get(), std::nullopt});
  step.ended.push_back(std::move(wide));
}

std::vector<std::string> Session::end() {
  steps_.wait();
  std::vector<std::string> devices;
  const auto run = [&] {
    Step step;
    {
      std::lock_guard lock(registry_.mutex());
      devices = registry_.devicesOf(endpoint_);
      for (const auto &device : devices) removeDevice(device, step);
    }
    if (!stopped()) deliver(step.calls);
    if (stopped()) step.leaveReadable();  // asked after: a stop while delivering told no one
  };
  if (stopped())
    run();  // only the registry is touched: no executor, no callback
  else
    runSynchronised(run);
#ifdef __GLIBC__
  malloc_trim(0);  // what the connection's records and BLOBs held goes back to the system
#endif
  return devices;
}

void Session::deliver(const std::vector<Call> &calls) {
  kestor_client *client = admittedClient(run());
  if (!client) return;
  for (const Call &call : calls)
    if (auto callback = client->*call.callback)
      callback(client, endpoint_, call.record, call.message ? call.message->c_str() : nullptr);
}

void Session::deliverMessage(const std::string &text) {
  kestor_client *client = admittedClient(run());
  if (client && client->send_message) client->send_message(client, endpoint_, text.c_str());
}

}  // namespace kestor
