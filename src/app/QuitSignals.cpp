#include "app/QuitSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void writeSignal(int number) {
  const char byte = char(number);
  const int saved = errno;
  (void)!write(signalPipe[1], &byte, 1);
  errno = saved;
}

void setHandler(int number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(number, &action, nullptr);
}

}  // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent) {
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    qWarning("Cannot watch for termination signals");
    return;
  }
  notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::signalArrived);
  setHandler(SIGINT, writeSignal);
  setHandler(SIGTERM, writeSignal);
}

QuitSignals::~QuitSignals() {
  if (!notifier_) return;
  setHandler(SIGINT, SIG_DFL);
  setHandler(SIGTERM, SIG_DFL);
  delete notifier_;
  close(signalPipe[0]);
  close(signalPipe[1]);
  signalPipe[0] = signalPipe[1] = -1;
}

void QuitSignals::signalArrived() {
  char bytes[16];
  while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
  }
  QCoreApplication::quit();
}
