#include "app/BaseController.h"

#include "kestor/KESTOR.h"

#include <QtGlobal>

BaseController::BaseController(QObject *parent) : QObject(parent) {}

KESTOR &BaseController::kestor() const {
  if (!_kestor) qFatal("BaseController: the client object is read before it was set");
  return *_kestor;
}

void BaseController::setKestor(KESTOR *kestor) {
  if (!kestor) {
    qWarning("BaseController: refusing to set an empty client object");
    return;
  }
  _kestor = kestor;
  kestor->addDelegate(this);
}

void BaseController::lock() { semaphore.acquire(); }

void BaseController::unlock() { semaphore.release(); }
