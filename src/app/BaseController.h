// Base of every window controller: holds the client object, registers itself as one of its
// delegates when the client object is set, and turns the notifications into overridable
// operations with empty defaults.
#pragma once

#include "app/AppearanceViewDelegate.h"
#include "kestor/KESTORDelegate.h"

#include <QObject>

#include <semaphore>

class KESTOR;

class BaseController : public QObject, public KESTORDelegate, public AppearanceViewDelegate {
  Q_OBJECT

public:
  explicit BaseController(QObject *parent = nullptr);

  // The client object; it must have been set before.
  KESTOR &kestor() const;
  // Stores the client object and appends this controller to its delegates, every time it is
  // called (twice means notified twice). A null client object is refused with a warning.
  virtual void setKestor(KESTOR *kestor);

  // Guards a controller's own state; admits one holder at a time.
  void lock();
  void unlock();

  // Hooks of the preferences sheet: called when it opens and when it is confirmed.
  virtual void reloadConfiguredServers() {}
  virtual void applyConfiguredServers() {}

  // KESTORDelegate: attach and driver notices change nothing in any controller.
  void clientAttached() final {}
  void driverAdded(const std::shared_ptr<KESTOR::Driver> &driver) final { (void)driver; }

  // AppearanceViewDelegate: no controller reacts to a change of appearance.
  void updateAppearance() override {}

private:
  std::binary_semaphore semaphore_{1};
  KESTOR *kestor_ = nullptr;
};
