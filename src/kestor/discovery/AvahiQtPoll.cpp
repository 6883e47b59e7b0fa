#include "kestor/discovery/AvahiQtPoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <avahi-common/timeval.h>

#include <cmath>

struct AvahiWatch {
  int fd;
  AvahiWatchEvent last;
  AvahiWatchCallback callback;
  void *userdata;
  QSocketNotifier *reader;
  QSocketNotifier *writer;
};

struct AvahiTimeout {
  QTimer *timer;
};

namespace {

// Creates the notifier of one direction when first needed; enables or disables it.
void setNotifier(AvahiWatch *watch, QSocketNotifier *&notifier, QSocketNotifier::Type type, AvahiWatchEvent event,
                 bool wanted) {
  if (!wanted) {
    if (notifier) notifier->setEnabled(false);
    return;
  }
  if (!notifier) {
    notifier = new QSocketNotifier(watch->fd, type);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [watch, event] {
      watch->last = event;
      watch->callback(watch, watch->fd, event, watch->userdata);  // may free the watch
    });
  }
  notifier->setEnabled(true);
}

void watchUpdate(AvahiWatch *watch, AvahiWatchEvent events) {
  setNotifier(watch, watch->reader, QSocketNotifier::Read, AVAHI_WATCH_IN, (events & AVAHI_WATCH_IN) != 0);
  setNotifier(watch, watch->writer, QSocketNotifier::Write, AVAHI_WATCH_OUT, (events & AVAHI_WATCH_OUT) != 0);
}

AvahiWatch *watchNew(const AvahiPoll *, int fd, AvahiWatchEvent events, AvahiWatchCallback callback, void *userdata) {
  auto *watch = new AvahiWatch{fd, static_cast<AvahiWatchEvent>(0), callback, userdata, nullptr, nullptr};
  watchUpdate(watch, events);
  return watch;
}

AvahiWatchEvent watchGetEvents(AvahiWatch *watch) { return watch->last; }

void dropNotifier(QSocketNotifier *notifier) {
  if (!notifier) return;
  notifier->setEnabled(false);
  notifier->disconnect();
  notifier->deleteLater();  // possibly inside its own activation
}

void watchFree(AvahiWatch *watch) {
  dropNotifier(watch->reader);
  dropNotifier(watch->writer);
  delete watch;
}

void timeoutUpdate(AvahiTimeout *timeout, const struct timeval *when) {
  if (when == nullptr) {
    timeout->timer->stop();
    return;
  }
  const double waitMs = std::ceil(-static_cast<double>(avahi_age(when)) / 1000.0);
  timeout->timer->start(static_cast<int>(std::clamp(waitMs, 0.0, 2147483647.0)));
}

AvahiTimeout *timeoutNew(const AvahiPoll *, const struct timeval *when, AvahiTimeoutCallback callback, void *userdata) {
  auto *timeout = new AvahiTimeout{new QTimer};
  timeout->timer->setSingleShot(true);
  QObject::connect(timeout->timer, &QTimer::timeout, timeout->timer,
                   [timeout, callback, userdata] { callback(timeout, userdata); });
  timeoutUpdate(timeout, when);
  return timeout;
}

void timeoutFree(AvahiTimeout *timeout) {
  timeout->timer->stop();
  timeout->timer->disconnect();
  timeout->timer->deleteLater();
  delete timeout;
}

}  // namespace

AvahiQtPoll::AvahiQtPoll()
    : api_{this, watchNew, watchUpdate, watchGetEvents, watchFree, timeoutNew, timeoutUpdate, timeoutFree} {}
