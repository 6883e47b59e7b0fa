#include "RecordingClient.h"

#include <cstring>

RecordingClient *RecordingClient::self = nullptr;

namespace {
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

Event named(const char *kind) {
  Event event;
  event.kind = kind;
  return event;
}

std::string text(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }
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
  client_.version = KESTOR_VERSION_2_0;
  client_.attach = [](kestor_client *) -> kestor_result {
    self->record(named("attach"));
    return 0;
  };
  client_.detach = [](kestor_client *) -> kestor_result {
    self->record(named("detach"));
    return 0;
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
  client_.send_message = [](kestor_client *, kestor_device *, const char *m) -> kestor_result {
    Event event = named("message");
    event.message = m ? m : "";
    event.hasMessage = m != nullptr;
    self->record(event);
    return 0;
  };
  kestor_start();
  kestor_attach_client(&client_);
}

RecordingClient::~RecordingClient() { kestor_stop(); }

kestor_result RecordingClient::property(const char *kind, kestor_property *p, const char *message) {
  Event event = named(kind);
  event.device = text(p->device, sizeof p->device);
  event.property = text(p->name, sizeof p->name);
  event.state = p->state;
  event.record = p;
  event.message = message ? message : "";
  event.hasMessage = message != nullptr;
  if (self->onEvent) self->onEvent(event);
  self->record(event);
  return 0;
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
    if (e.kind == kind && e.device == device && (property.empty() || e.property == property)) found.push_back(e);
  return found;
}

Event RecordingClient::waitFor(const std::string &kind, const std::string &device, const std::string &property,
                               std::chrono::milliseconds timeout) {
  return waitFor(
      [&](const Event &e) { return e.kind == kind && e.device == device && (property.empty() || e.property == property); },
      timeout);
}

Event RecordingClient::waitFor(const std::function<bool(const Event &)> &match, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  Event found;
  changed_.wait_for(lock, timeout, [&] {
    for (const auto &e : events_)
      if (match(e)) {
        found = e;
        return true;
      }
    return false;
  });
  return found;
}

std::vector<std::string> RecordingClient::logLines() const {
  std::lock_guard lock(processLog().mutex);
  return {processLog().lines.begin() + static_cast<ptrdiff_t>(firstLine_), processLog().lines.end()};
}

bool RecordingClient::waitForLog(const std::string &fragment, std::chrono::milliseconds timeout) {
  std::unique_lock lock(processLog().mutex);
  return processLog().changed.wait_for(lock, timeout, [&] {
    for (size_t i = firstLine_; i < processLog().lines.size(); ++i)
      if (processLog().lines[i].find(fragment) != std::string::npos) return true;
    return false;
  });
}
