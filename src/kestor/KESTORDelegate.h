// The notifications of the client object, always on the main thread, in the order the
// delegates registered.
#pragma once

#include <QString>
#include <memory>

#include "kestor/KESTOR.h"

class KESTORDelegate {
public:
  virtual ~KESTORDelegate() = default;
  virtual void clientAttached() {}
  virtual void propertyDefined(const std::shared_ptr<KESTOR::Property> &property) { (void)property; }
  virtual void propertyChanged(const std::shared_ptr<KESTOR::Property> &property) { (void)property; }
  virtual void propertyDeleted(const std::shared_ptr<KESTOR::Property> &property) { (void)property; }
  virtual void driverAdded(const std::shared_ptr<KESTOR::Driver> &driver) { (void)driver; }
  virtual void messageReceived(const QString &message) { (void)message; }
  virtual void servicesChanged() {}
};
