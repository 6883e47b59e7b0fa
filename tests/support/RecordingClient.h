// A bus client for the framework tests: attaches itself and records every callback, so a test can
// wait for an event and look at what came with it.
#pragma once

#include <kestor.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct Event {
  std::string kind;  // "attach", "define", "update", "delete", "message", "detach"; "" for none
  std::string device, property, message;
  uint32_t state = 0;
  kestor_property *record = nullptr;
};

class RecordingClient {
public:
  // Starts the library and attaches; the destructor stops the library and waits for the callbacks
  // admitted before the stop that still run.
  RecordingClient();
  ~RecordingClient();

  kestor_client *client() { return &client_; }

  // The events so far; with a kind, those whose device and (when not empty) property match.
  std::vector<Event> events() const;
  std::vector<Event> events(const std::string &kind, const std::string &device, const std::string &property = "") const;

  // Waits until an event matches; it, or an event of kind "" after the timeout.
  Event waitFor(const std::string &kind, const std::string &device, const std::string &property = "",
                std::chrono::milliseconds timeout = std::chrono::seconds(10));
  Event waitFor(const std::function<bool(const Event &)> &match,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // Called inside every property callback before it is recorded (on the library's thread).
  std::function<void(const Event &)> onEvent;

  // Framework log lines written since this client was made; how many contain `fragment`.
  std::vector<std::string> logLines() const;
  size_t logged(const std::string &fragment) const;
  bool waitForLog(const std::string &fragment, std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
  void record(Event event);

  kestor_client client_{};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Event> events_;
  size_t firstLine_ = 0;  // the process log's lines before this client are not its own
};
