// A DNS-SD service as the client object sees it, and the browser that reports services.
#pragma once

#include <QMap>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class NetService;

// Receives browse and resolve reports, always on the main thread.
class NetServiceBrowserDelegate {
public:
  virtual ~NetServiceBrowserDelegate() = default;
  virtual void serviceFound(const std::shared_ptr<NetService> &service) = 0;
  virtual void serviceRemoved(const std::shared_ptr<NetService> &service) = 0;
  virtual void serviceResolved(const std::shared_ptr<NetService> &service) = 0;
  virtual void netServiceDidNotResolve(const std::shared_ptr<NetService> &service,
                                       const QMap<QString, qint64> &errors) = 0;
  // Discovery cannot run (no DNS-SD daemon, for instance).
  virtual void browserDidNotSearch(const QString &reason) = 0;
};

// One discovered service instance, one object per (name, type, domain): identity is equality.
// Name, type and domain never change; host, address and port are set on the main thread when
// the service resolves.
class NetService {
public:
  NetService(QString name, QString type, QString domain)
      : name(std::move(name)), type(std::move(type)), domain(std::move(domain)) {}
  virtual ~NetService() = default;

  // Starts resolving; the answer goes to the delegate on the main thread.
  virtual void resolve(double timeout) = 0;

  const QString name;
  const QString type;
  const QString domain;
  QString hostName;  // as announced, e.g. "host.local"; empty when unknown
  QString address;   // numeric address to connect to; empty when unknown
  int32_t port = 0;
  NetServiceBrowserDelegate *delegate = nullptr;

  // Set on the main thread when the browser reports the service gone; read by connection loops.
  std::atomic<bool> removed{false};
  // A connection loop runs for this service (main thread only).
  bool connecting = false;
};

// Searches for services of one type; reports to its delegate on the main thread.
class NetServiceBrowser {
public:
  virtual ~NetServiceBrowser() = default;
  // Starts the search; nothing is searched before this call.
  virtual void searchForServices(const QString &type, const QString &domain) = 0;
  NetServiceBrowserDelegate *delegate = nullptr;
};
