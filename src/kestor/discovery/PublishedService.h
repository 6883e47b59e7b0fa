// The program's own DNS-SD service, as the client object publishes it for its in-process server.
// Reports arrive on the main thread.
#pragma once

#include <QMap>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class PublishedService {
public:
  PublishedService(QString name, QString type, int32_t port)
      : name(std::move(name)), type(std::move(type)), port(port) {}
  virtual ~PublishedService() = default;

  // Starts publishing in the default domain; nothing is retried after a failure.
  virtual void publish() = 0;
  // Withdraws the service.
  virtual void stop() = 0;

  const QString name;
  const QString type;
  const int32_t port;
  // The service is about to be announced (once).
  std::function<void(PublishedService &service)> willPublish;
  // It cannot be published: error codes by name ("errorCode").
  std::function<void(PublishedService &service, const QMap<QString, qint64> &errors)> didNotPublish;
};

// Makes the Avahi-published service (or, in tests, a stand-in).
using PublishedServiceFactory =
    std::function<std::shared_ptr<PublishedService>(const QString &name, const QString &type, int32_t port)>;
