// The whole interface on a real client object connected to indiserver running our load driver
// (tests/drivers/LoadDriver.cpp), with the main window and the control panel shown and the
// driver's group selected, so every update refreshes the widgets as a user would see it.
#pragma once

#include "app/MainInterface.h"
#include "kestor/KESTORDelegate.h"
#include "support/IndiServer.h"

#include <QMap>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class PropertyWidget;

// Counts the changes of one property the client object notifies on the main thread, and when
// the last came (after the interface's own delegates have handled it).
class ChangeCounter : public KESTORDelegate {
public:
  explicit ChangeCounter(QString name) : name(std::move(name)) {}
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &property) override;
  const QString name;
  long changes = 0;
  std::chrono::steady_clock::time_point lastChange;
};

class LoadPanel {
public:
  static const QString DEVICE;

  // Starts the server and the interface, connects and shows the driver's group; ok() tells
  // whether all of it came up, failure() what did not.
  LoadPanel();
  ~LoadPanel();
  LoadPanel(const LoadPanel &) = delete;
  LoadPanel &operator=(const LoadPanel &) = delete;

  bool ok() const { return failure_.isEmpty(); }
  const QString &failure() const { return failure_; }

  KESTOR &kestor() const { return *interface->kestor; }
  // A property of the driver's device; null when it is not defined.
  std::shared_ptr<KESTOR::Property> property(const QString &name) const;
  // The shown widget of a property of the driver's device; null when it is not shown.
  PropertyWidget *widget(const QString &name) const;
  // Sends new values of a number property of the driver's device.
  void change(const QString &name, const QMap<QString, double> &values);

  // The delegate comes before the interface: it must outlive the client object.
  ChangeCounter valueChanges{QStringLiteral("LOAD_VALUES")};
  ChangeCounter imageChanges{QStringLiteral("IMAGE")};
  test_support::IndiServer server;
  std::unique_ptr<MainInterface> interface;

private:
  QString bringUp();
  QString failure_;
};

// Runs the main thread's event loop, as the program does, until the condition holds (checked
// every 20 ms) or the time is up; whether it held.
bool runEventLoopUntil(const std::function<bool()> &condition, int timeoutMs);
// The value of a number item of a property; NaN when there is none.
double numberValue(const KESTOR::Property &property, const QString &item);
