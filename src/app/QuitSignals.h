// Turns SIGINT and SIGTERM into a normal quit of the event loop, so that a request from the
// system to end takes the same path as closing the last window.
#pragma once

#include <QObject>

class QSocketNotifier;

class QuitSignals : public QObject {
  Q_OBJECT

public:
  // Installs the handlers; one object per process.
  explicit QuitSignals(QObject *parent = nullptr);
  ~QuitSignals() override;

private:
  void signalArrived();

  QSocketNotifier *notifier_ = nullptr;
};
