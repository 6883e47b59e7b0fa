// The whole interface on a real client object connected to indiserver running our load driver
// (tests/support/drivers/LoadDriver.cpp), with the driver's group shown in the control panel, so
// every update refreshes the widgets as a user would see it.
#pragma once

#include "BusPanel.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/Model.h"

#include <QMap>
#include <QString>

#include <chrono>

// Counts the changes of one property the client object notifies on the main thread, and when
// the last came (after the interface's own delegates have handled it).
class ChangeCounter : public KESTORDelegate {
public:
  explicit ChangeCounter(QString name) : name(std::move(name)) {}
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &property) override {
    if (property->name != name) return;
    ++changes;
    lastChange = std::chrono::steady_clock::now();
  }
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

  bool ok() const { return failure_.isEmpty(); }
  const QString &failure() const { return failure_; }

  KESTOR &kestor() const { return bus.kestor(); }
  // A property of the driver's device (null when it is not defined); its shown widget (null when
  // it is not shown); new values sent for a number property.
  std::shared_ptr<KESTOR::Property> property(const QString &name) const;
  PropertyWidget *widget(const QString &name) const;
  void change(const QString &name, const QMap<QString, double> &values);

  // The delegates come before the interface: they must outlive the client object.
  ChangeCounter valueChanges{QStringLiteral("LOAD_VALUES")};
  ChangeCounter imageChanges{QStringLiteral("IMAGE")};
  BusPanel bus;

private:
  QString bringUp();
  QString failure_;
};
