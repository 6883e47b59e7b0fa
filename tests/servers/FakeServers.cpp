#include "FakeServers.h"

#include "kestor/KESTOR.h"

#include <QMutex>
#include <QSet>
#include <QThread>

#include <cstdlib>
#include <cstring>

namespace fake_servers {
namespace {

QMutex mutex;
QSet<int32_t> answering;
QSet<int32_t> silent;
QStringList connectCalls;
QStringList disconnectCalls;

QString key(const char *host, int32_t port) { return QString::fromUtf8(host ? host : "") + ':' + QString::number(port); }

kestor_result connectServer(const char *, const char *host, int32_t port, kestor_server_entry **entry) {
  QMutexLocker lock(&mutex);
  connectCalls << key(host, port);
  if (silent.contains(port)) {
    lock.unlock();
    QThread::msleep(SILENT_WAIT_MS);
    return KESTOR_TIMEOUT;
  }
  if (!answering.contains(port)) return KESTOR_TIMEOUT;
  auto *made = static_cast<kestor_server_entry *>(std::calloc(1, sizeof(kestor_server_entry)));
  std::strncpy(made->host, host ? host : "", sizeof made->host - 1);
  made->port = port;
  *entry = made;
  return KESTOR_OK;
}

kestor_result disconnectServer(kestor_server_entry *entry) {
  QMutexLocker lock(&mutex);
  disconnectCalls << key(entry->host, entry->port);
  return KESTOR_OK;  // the entry stays allocated: the client object may still compare it
}

}  // namespace

void install(KESTOR &kestor) {
  QMutexLocker lock(&mutex);
  answering.clear();
  silent.clear();
  connectCalls.clear();
  disconnectCalls.clear();
  kestor.framework.connectServer = &connectServer;
  kestor.framework.disconnectServer = &disconnectServer;
}

void answerOn(int32_t port) {
  QMutexLocker lock(&mutex);
  answering.insert(port);
}

void silentOn(int32_t port) {
  QMutexLocker lock(&mutex);
  silent.insert(port);
}

QStringList connects() {
  QMutexLocker lock(&mutex);
  return connectCalls;
}

QStringList disconnects() {
  QMutexLocker lock(&mutex);
  return disconnectCalls;
}

}  // namespace fake_servers
