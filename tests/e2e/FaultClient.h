// The client object as the fault tests drive it: started headless without discovery (or with it),
// a watch on the main thread's event loop, and questions about the message log and the model.
#pragma once

#include "EventLoopProbe.h"
#include "EventLoopWait.h"
#include "ModelQueries.h"

class FaultClient {
public:
  // Starts the client object; `browse` starts DNS-SD discovery too.
  explicit FaultClient(bool browse = false) {
    kestor.start(false, browse);
    probe.start();
  }
  // Disconnects every typed-in server, waits for the model to empty and stops the library.
  ~FaultClient() {
    kestor.disconnectServersExcept([](const TypedServer &) { return false; });
    waitForEmptyModel(5000);
    kestor_stop();
  }

  KESTOR kestor;
  EventLoopProbe probe;

  int logged(const QString &text) const { return ::logged(kestor, text); }
  QString log() const { return kestor.messages.join(u'\n'); }
  bool waitForLog(const QString &text, int timeoutMs = 10000) {
    return waitUntil([&] { return logged(text) > 0; }, timeoutMs);
  }
  std::shared_ptr<KESTOR::Property> property(const QString &device, const QString &name) const {
    return findProperty(kestor, device, name);
  }
  bool waitForProperty(const QString &device, const QString &name, int timeoutMs = 10000) {
    return waitUntil([&] { return property(device, name) != nullptr; }, timeoutMs);
  }
  bool waitForEmptyModel(int timeoutMs = 10000) {
    return waitUntil([&] { return kestor.devices.empty(); }, timeoutMs);
  }
  // The longest time the main event loop kept an event waiting, in ms.
  double longestStall() const { return probe.longestWaitMs(); }
};

// A freeze of the main thread is a stall longer than this, in ms (generous: sanitizer builds).
constexpr double FREEZE_MS = 2000;
