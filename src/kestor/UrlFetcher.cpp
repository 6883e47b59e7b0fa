#include "kestor/UrlFetcher.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

std::optional<QByteArray> readFile(const QUrl &url) {
  QFile file(url.toLocalFile());
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

// Runs on the worker thread: one request with its own event loop and time-out.
std::optional<QByteArray> download(const QUrl &url, int timeoutMs) {
  QNetworkAccessManager manager;
  QNetworkRequest request(url);
  request.setTransferTimeout(timeoutMs);
  std::unique_ptr<QNetworkReply> reply(manager.get(request));
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadline.start(timeoutMs);
  if (!reply->isFinished()) loop.exec();
  if (!reply->isFinished()) {
    reply->abort();
    return std::nullopt;
  }
  if (reply->error() != QNetworkReply::NoError) return std::nullopt;
  return reply->readAll();
}

}  // namespace

std::optional<QByteArray> fetchUrl(const QUrl &url, double timeoutSeconds) {
  if (url.isLocalFile()) return readFile(url);
  const int timeoutMs = static_cast<int>(std::clamp(timeoutSeconds, 0.0, 86400.0) * 1000);
  std::optional<QByteArray> result;
  std::unique_ptr<QThread> worker(QThread::create([&] { result = download(url, timeoutMs); }));
  worker->start();
  worker->wait();
  return result;
}
