#include "RecordingClient.h"

#include <atomic>
#include <cstring>
#include <shared_mutex>

namespace {

// The client the callbacks record into. A callback admitted before kestor_stop may still run while
// the test ends: each runs holding `gate` shared, and a client going away takes it alone after
// stopping the library, so that none is left inside the client it destroys.
std::atomic<RecordingClient *> self{nullptr};
std::shared_mutex gate;

template <typename Work>
kestor_result withSelf(const Work &work) {
  std::shared_lock lock(gate);
  if (RecordingClient *client = self.load()) work(*client);
  return 0;
}

// Framework log lines of the whole process; never destroyed, as library threads may still log
// while a test ends.
struct Log {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> lines;
};
Log &processLog() {
  static auto *log = new Log();
  return *log;
}

bool matches(const Event &e, const std::string &kind, const std::string &device, const std::string &property) {
  return e.kind == kind && e.device == device && (property.empty() || e.property == property);
}

}  // namespace

RecordingClient::RecordingClient() {
  self = this;
  {
    std::lock_guard lock(processLog().mutex);
    firstLine_ = processLog().lines.size();
  }
  kestor_log_message_handler = [](const char *line) {
    std::lock_guard lock(processLog().mutex);
    processLog().lines.emplace_back(line);
    processLog().changed.notify_all();
  };
  static const auto property = [](const char *kind, kestor_property *p, const char *message) -> kestor_result {
    Event event{kind,
                std::string(p->device, strnlen(p->device, sizeof p->device)),
                std::string(p->name, strnlen(p->name, sizeof p->name)),
                message ? message : "",
                p->state,
                p};
    return withSelf([&](RecordingClient &client) {
      if (client.onEvent) client.onEvent(event);
      client.record(event);
    });
  };
  client_.version = KESTOR_VERSION_2_0;
  client_.attach = [](kestor_client *) {
    return withSelf([](RecordingClient &c) { c.record({"attach", "", "", ""}); });
  };
  client_.detach = [](kestor_client *) {
    return withSelf([](RecordingClient &c) { c.record({"detach", "", "", ""}); });
  };
  client_.define_property = [](kestor_client *, kestor_device *, kestor_property *p, const char *m) {
    return property("define", p, m);
  };
  client_.update_property = [](kestor_client *, kestor_device *, kestor_property *p, const char *m) {
    return property("update", p, m);
  };
  client_.delete_property = [](kestor_client *, kestor_device *, kestor_property *p, const char *m) {
    return property("delete", p, m);
  };
  client_.send_message = [](kestor_client *, kestor_device *, const char *m) {
    return withSelf([m](RecordingClient &c) { c.record({"message", "", "", m ? m : ""}); });
  };
  kestor_start();
  kestor_attach_client(&client_);
}

RecordingClient::~RecordingClient() {
  kestor_stop();
  std::unique_lock lock(gate);  // the callbacks admitted before the stop have returned
  if (self == this) self = nullptr;
}

void RecordingClient::record(Event event) {
  std::lock_guard lock(mutex_);
  events_.push_back(std::move(event));
  changed_.notify_all();
}

std::vector<Event> RecordingClient::events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<Event> RecordingClient::events(const std::string &kind, const std::string &device,
                                           const std::string &property) const {
  std::vector<Event> found;
  for (const auto &e : events())
    if (matches(e, kind, device, property)) found.push_back(e);
  return found;
}

Event RecordingClient::waitFor(const std::string &kind, const std::string &device, const std::string &property,
                               std::chrono::milliseconds timeout) {
  return waitFor([&](const Event &e) { return matches(e, kind, device, property); }, timeout);
}

Event RecordingClient::waitFor(const std::function<bool(const Event &)> &match, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  Event found;
  changed_.wait_for(lock, timeout, [&] {
    for (const auto &e : events_)
      if (match(e)) return found = e, true;
    return false;
  });
  return found;
}

std::vector<std::string> RecordingClient::logLines() const {
  std::lock_guard lock(processLog().mutex);
  return {processLog().lines.begin() + static_cast<ptrdiff_t>(firstLine_), processLog().lines.end()};
}

size_t RecordingClient::logged(const std::string &fragment) const {
  size_t n = 0;
  for (const auto &line : logLines()) n += line.find(fragment) != std::string::npos;
  return n;
}

bool RecordingClient::waitForLog(const std::string &fragment, std::chrono::milliseconds timeout) {
  std::unique_lock lock(processLog().mutex);
  return processLog().changed.wait_for(lock, timeout, [&] {
    for (size_t i = firstLine_; i < processLog().lines.size(); ++i)
      if (processLog().lines[i].find(fragment) != std::string::npos) return true;
    return false;
  });
}
