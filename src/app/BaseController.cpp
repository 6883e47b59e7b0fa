#include "app/BaseController.h"

#include "kestor/KESTOR.h"

#include <QtGlobal>

BaseController::BaseController(QObject *parent) : QObject(parent) {}

KESTOR &BaseController::kestor() const {
  if (!kestor_) qFatal("BaseController: the client object is read before it was set");
  return *kestor_;
}

void BaseController::setKestor(KESTOR *kestor) {
  if (!kestor) {
    qWarning("BaseController: refusing to set an empty client object");
    return;
  }
  kestor_ = kestor;
  kestor->addDelegate(this);
}

void BaseController::lock() { semaphore_.acquire(); }

void BaseController::unlock() { semaphore_.release(); }
