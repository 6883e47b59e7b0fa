// Server mode of the client object: the in-process server on a global-pool thread, and the
// program's own service published by DNS-SD on the main thread once the server listens.
#include <limits>

#include "core/Console.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "kestor/KESTOR.h"
#include "kestor/discovery/DnsSdPublishedService.h"
#include "kestor/discovery/ServiceNames.h"
#include "kestor/server/KESTORDriver.h"

void KESTOR::startServerMode() {
  qputenv("KESTOR_DRIVER_DIR", driverFolders::libraries().toLocal8Bit());  // where the library loads drivers
  asyncGlobal([this] { runServer(); });
  if (const QString resources = mainBundle().resourcePath; !resources.isEmpty())
    readDriversFile(resources + QStringLiteral("/drivers.xml"));
}

void KESTOR::runServer() {
  const qint64 port = UserDefaults::read(Setting::SERVER_PORT);
  if (port < std::numeric_limits<int32_t>::min() || port > std::numeric_limits<int32_t>::max()) {
    consoleLine("KESTOR server not started: kestorPortNumber " + QByteArray::number(port) + " is out of range");
    return;
  }
  kestor_server_tcp_port = static_cast<int32_t>(port);
  framework.serverStart(&KESTOR::serverCallback);
  // The service belongs to the main thread: withdrawn there once the server has stopped.
  asyncMain(this, [this] {
    if (!kestorService) return;
    kestorService->stop();
    kestorService.reset();
  });
}

void KESTOR::serverCallback(int32_t clients) {
  if (KESTOR *kestor = clientInstance()) kestor->onServerClientCount(clients);
}

void KESTOR::onServerClientCount(int32_t clients) {
  asyncMain(this, [this] { publishService(); });
  if (framework.getLogLevel() == 1) log(QString::number(clients) + QStringLiteral(" clients connected"));
}

void KESTOR::publishService() {
  if (kestorService) return;
  const QString type = UserDefaults::read(Setting::SERVICE_TYPE);
  const int32_t port = kestor_server_tcp_port;
  const auto make =
      makePublishedService ? makePublishedService : [](const QString &name, const QString &type, int32_t port) {
        return std::shared_ptr<PublishedService>(std::make_shared<DnsSdPublishedService>(name, type, port));
      };
  kestorService = make(ownServiceName(), type, port);
  kestorService->willPublish = [this](PublishedService &service) { netServiceWillPublish(service); };
  kestorService->didNotPublish = [this](PublishedService &service, const QMap<QString, qint64> &errors) {
    netServiceDidNotPublish(service, errors);
  };
  kestorService->publish();
}

void KESTOR::netServiceWillPublish(PublishedService &service) {
  log(serviceText(service.name, QStringLiteral("is ready to publish")));
}

void KESTOR::netServiceDidNotPublish(PublishedService &service, const QMap<QString, qint64> &errors) {
  log(serviceText(service.name, QStringLiteral("could not be published")));
  log(errorText(errors));
}
