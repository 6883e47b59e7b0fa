// The client object as the fault tests drive it: started headless without discovery (or with it),
// a watch on the main thread's event loop, and questions about the message log and the model.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

#include "kestor/Model.h"

class FaultClient {
public:
  // Starts the client object; `browse` starts DNS-SD discovery too.
  explicit FaultClient(bool browse = false);
  FaultClient(const FaultClient &) = delete;
  FaultClient &operator=(const FaultClient &) = delete;
  // Disconnects every typed-in server, waits for the model to empty and stops the library.
  ~FaultClient();

  KESTOR kestor;

  // Entries of the message log containing the text (time stamps left out).
  int logged(const QString &text) const;
  QString log() const;
  // Waits (running the main loop) until a log entry contains the text.
  bool waitForLog(const QString &text, int timeoutMs = 10000);

  // The property of a device in the model, or null.
  std::shared_ptr<KESTOR::Property> property(const QString &device, const QString &name) const;
  // Waits until the model holds the property; until the model holds no device at all.
  bool waitForProperty(const QString &device, const QString &name, int timeoutMs = 10000);
  bool waitForEmptyModel(int timeoutMs = 10000);

  // The longest time the main event loop went without running a 10 ms heartbeat, in ms.
  qint64 longestStall() const { return longestStall_; }

private:
  QTimer heartbeat_;
  QElapsedTimer sinceBeat_;
  qint64 longestStall_ = 0;
};

// A freeze of the main thread is a stall longer than this, in ms (generous: sanitizer builds).
constexpr qint64 FREEZE_MS = 2000;
