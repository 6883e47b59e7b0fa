#include "core/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <chrono>
#include <cmath>
#include <future>

#include "core/GlobalPool.h"

bool isMainThread() {
  QCoreApplication *app = QCoreApplication::instance();
  return app == nullptr || QThread::currentThread() == app->thread();
}

void asyncMain(Block block) { asyncMain(QCoreApplication::instance(), std::move(block)); }

void asyncMain(QObject *context, Block block) {
  if (context == nullptr || QCoreApplication::instance() == nullptr) return;
  QMetaObject::invokeMethod(context, std::move(block), Qt::QueuedConnection);
}

void asyncGlobal(Block block) { GlobalPool::shared().start(std::move(block)); }

void asyncGlobalAfter(double seconds, Block block) {
  if (!(seconds > 0)) seconds = 0;  // negative and NaN
  const auto delay = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(std::min(seconds, 1e9)));
  GlobalPool::shared().startAt(std::chrono::steady_clock::now() + delay, std::move(block));
}

void syncGlobal(Block block) {
  std::promise<void> done;
  GlobalPool::shared().start([&] {
    block();
    done.set_value();
  });
  done.get_future().wait();
}

void syncMain(Block block) {
  QCoreApplication *app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() == app->thread()) {
    block();
    return;
  }
  QMetaObject::invokeMethod(app, std::move(block), Qt::BlockingQueuedConnection);
}
