#include "app/ServicesController.h"

#include "app/ServicesModel.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "core/StrictNumber.h"
#include "kestor/KESTOR.h"
#include "kestor/discovery/NetService.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>

ServicesController::ServicesController(QObject *parent) : BaseController(parent) {
  servicesModel = new ServicesModel([this] { return numberOfRows(); }, [this](int row) { return cellForRow(row); }, this);
}

ServicesModel::Row ServicesController::cellForRow(int row) const {
  const Row item = itemForRow(row);
  if (const auto *service = std::get_if<std::shared_ptr<NetService>>(&item))
    return {(*service)->name, QStringLiteral("NSBonjour"), false};
  if (const auto *server = std::get_if<ServerPtr>(&item))
    return {(*server)->host + QStringLiteral(" (") + QString::number((*server)->port) + QLatin1Char(')'),
            QStringLiteral("NSNetwork"), true};
  return {};
}

void ServicesController::awakeFromNib() {
  if (servicesTableView) {
    servicesTableView->setModel(servicesModel);
    connect(servicesTableView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
              if (current.isValid()) rowSelected(current.row());
            });
  }
  if (removeButton) removeButton->setEnabled(false);
  loadServers();
}

int ServicesController::numberOfRows() const {
  return int(kestor().services.size() + configuredServers.size());
}

ServicesController::Row ServicesController::itemForRow(int row) const {
  const auto &services = kestor().services;
  if (row < 0) return {};
  if (size_t(row) < services.size()) return services[size_t(row)];
  const size_t position = size_t(row) - services.size();
  if (position < configuredServers.size()) return configuredServers[position];
  return {};
}

void ServicesController::reloadTable() {
  servicesModel->reload();
  if (removeButton) removeButton->setEnabled(false);
}

void ServicesController::rowSelected(int row) {
  const Row item = itemForRow(row);
  const auto *server = std::get_if<ServerPtr>(&item);
  if (!server) return;
  if (removeButton) removeButton->setEnabled(true);
  if (hostnameField) hostnameField->setText((*server)->host);
  if (portField) portField->setText(QString::number((*server)->port));
}

void ServicesController::saveServers() {
  std::vector<ServerAddress> servers;
  for (const ServerPtr &server : configuredServers) servers.push_back({server->host, server->port});
  UserDefaults::write(Setting::SERVERS, savedServersValue(servers));
}

std::vector<ServerAddress> ServicesController::readSetting(const QVariant &value) {
  return readSavedServers(value, [this](const QString &reason) { kestor().log(reason); });
}

void ServicesController::loadServers() {
  if (!configuredServers.empty()) return;
  const QVariant value = defaults().value(Setting::SERVERS.name());
  if (!value.isValid()) return;
  const QPointer<ServicesController> self(this);
  asyncGlobalAfter(RESTORE_DELAY, [self, value] {
    if (self) self->restoreServers(value);
  });
}

void ServicesController::restoreServers(const QVariant &value) {
  // The list and the table belong to the main thread: each server joins them there, and only
  // the connection, which may take the library's whole time-out, runs here.
  const QPointer<ServicesController> self(this);
  const std::vector<ServerAddress> saved = readSetting(value);
  for (size_t i = 0; i < saved.size(); ++i) {
    bool connected = true;
    syncMain([&] {
      if (!self) return;
      if (listedTimes(saved[i]) < occurrence(saved, i)) {
        configuredServers.push_back(std::make_shared<Server>(saved[i].host, saved[i].port));
        reloadTable();
      }
      connected = isConnected(saved[i]);
    });
    if (!connected) kestor().connect(saved[i].host, saved[i].port);
  }
}

size_t ServicesController::listedTimes(const ServerAddress &server) const {
  return size_t(std::count_if(configuredServers.begin(), configuredServers.end(), [&](const ServerPtr &listed) {
    return listed->host == server.host && listed->port == server.port;
  }));
}

size_t ServicesController::occurrence(const std::vector<ServerAddress> &servers, size_t index) {
  return size_t(std::count(servers.begin(), servers.begin() + qsizetype(index) + 1, servers[index]));
}

void ServicesController::addAction() {
  const qint64 port = StrictNumber::toInt64(portField ? portField->text() : QString()).value_or(DEFAULT_PORT);
  const QString host = hostnameField ? hostnameField->text() : QString();
  configuredServers.push_back(std::make_shared<Server>(host, port));
  reloadTable();
  saveServers();
}

void ServicesController::removeAction() {
  if (servicesTableView && servicesTableView->selectionModel()) {
    const QModelIndexList selected = servicesTableView->selectionModel()->selectedRows();
    const size_t services = kestor().services.size();
    if (!selected.isEmpty() && size_t(selected.first().row()) >= services) {
      const size_t position = size_t(selected.first().row()) - services;
      if (position < configuredServers.size()) configuredServers.erase(configuredServers.begin() + qsizetype(position));
    }
  }
  reloadTable();
  saveServers();
}

void ServicesController::servicesChanged() { reloadTable(); }

void ServicesController::reloadConfiguredServers() {
  configuredServers.clear();
  for (const ServerAddress &address : kestor().configuredServerAddresses())
    configuredServers.push_back(std::make_shared<Server>(address.host, address.port));
  // Saved servers that are not connected (down at launch, still being restored, or added and
  // not yet confirmed) stay in the list, so that confirming tries them again and saving the
  // list keeps them.
  const std::vector<ServerAddress> saved = readSetting(defaults().value(Setting::SERVERS.name(), QVariantList()));
  for (size_t i = 0; i < saved.size(); ++i) {
    if (listedTimes(saved[i]) < occurrence(saved, i))
      configuredServers.push_back(std::make_shared<Server>(saved[i].host, saved[i].port));
  }
  // The table's rows follow the list: a view must hear of every change of their number.
  reloadTable();
}

bool ServicesController::isConnected(const ServerAddress &server) const {
  const std::vector<ServerAddress> connected = kestor().configuredServerAddresses();
  return std::find(connected.begin(), connected.end(), server) != connected.end();
}

void ServicesController::applyConfiguredServers() {
  kestor().disconnectServersExcept([this](const ServerAddress &address) { return listedTimes(address) > 0; });
  // Connecting waits for the server's answer, up to the library's time-out: off the main
  // thread, one server after the other in list order, each only when still not connected.
  std::vector<ServerAddress> wanted;
  for (const ServerPtr &server : configuredServers) wanted.push_back({server->host, server->port});
  const QPointer<ServicesController> self(this);
  asyncGlobal([self, wanted] {
    for (const ServerAddress &server : wanted) {
      bool connected = true;
      syncMain([&] { connected = !self || self->isConnected(server); });
      if (connected) continue;
      self->kestor().connect(server.host, server.port);
    }
  });
}
