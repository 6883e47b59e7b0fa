#include "app/ServicesController.h"

#include "app/AskingSelectionModel.h"
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
  servicesModel_ =
      new ServicesModel([this] { return numberOfRows(); }, [this](int row) { return cellForRow(row); }, this);
}

ServicesModel::Row ServicesController::cellForRow(int row) const {
  const Row item = itemForRow(row);
  if (const auto *service = std::get_if<std::shared_ptr<NetService>>(&item))
    return {(*service)->name, QStringLiteral("NSBonjour")};
  if (const auto *server = std::get_if<TypedServer>(&item))
    return {server->host + QStringLiteral(" (") + QString::number(server->port) + QLatin1Char(')'),
            QStringLiteral("NSNetwork")};
  return {};
}

void ServicesController::awakeFromNib() {
  if (servicesTableView) {
    servicesTableView->setModel(servicesModel_);
    // A click on a service, or the arrow keys reaching one, leaves the selected server selected.
    AskingSelectionModel::install(
        *servicesTableView, [this](const QModelIndex &index) { return shouldSelectRow(index.row()); }, this);
  }
  if (removeButton) removeButton->setEnabled(false);
  loadServers();
}

int ServicesController::numberOfRows() const { return int(kestor().services.size() + configuredServers.size()); }

ServicesController::Row ServicesController::itemForRow(int row) const {
  const auto &services = kestor().services;
  if (row < 0) return {};
  if (size_t(row) < services.size()) return services[size_t(row)];
  const size_t position = size_t(row) - services.size();
  if (position < configuredServers.size()) return configuredServers[position];
  return {};
}

void ServicesController::reloadTable() {
  servicesModel_->reload();
  if (removeButton) removeButton->setEnabled(false);
}

bool ServicesController::shouldSelectRow(int row) {
  const Row item = itemForRow(row);
  const auto *server = std::get_if<TypedServer>(&item);
  if (!server) return false;
  if (removeButton) removeButton->setEnabled(true);
  if (hostnameField) hostnameField->setText(server->host);
  if (portField) portField->setText(QString::number(server->port));
  return true;
}

void ServicesController::saveServers() { UserDefaults::write(Setting::SERVERS, savedServersValue(configuredServers)); }

std::vector<TypedServer> ServicesController::readSetting(const QVariant &value) {
  return readSavedServers(value, [this](const QString &reason) { kestor().log(reason); });
}

void ServicesController::loadServers() {
  if (!configuredServers.empty()) return;
  const QVariant value = defaults().value(Setting::SERVERS.name());
  if (!value.isValid()) return;
  const QPointer<ServicesController> self(this);
  asyncGlobalAfter(RESTORE_DELAY, [self, value] {
    asyncMain([self, value] {
      if (self) self->restoreServers(value);
    });
  });
}

void ServicesController::restoreServers(const QVariant &value) {
  const std::vector<TypedServer> saved = readSetting(value);
  appendUnlisted(saved);
  reloadTable();
  kestor().connectServers(saved);
}

void ServicesController::appendUnlisted(const std::vector<TypedServer> &saved) {
  for (auto server = saved.begin(); server != saved.end(); ++server) {
    const auto same = [&](const TypedServer &other) { return other.sameAddress(*server); };
    if (std::count_if(configuredServers.begin(), configuredServers.end(), same) <
        std::count_if(saved.begin(), server + 1, same))
      configuredServers.push_back(*server);
  }
}

void ServicesController::addAction() {
  const qint64 port = StrictNumber::toInt64(portField ? portField->text() : QString()).value_or(DEFAULT_PORT);
  const QString host = hostnameField ? hostnameField->text() : QString();
  configuredServers.push_back({host, port, TypedServer::State::Unconnected, nullptr});
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
  configuredServers = kestor().configuredServers;
  // Saved servers that are not connected (down at launch, still being restored, or added and
  // not yet confirmed) stay in the list, so that confirming tries them again and saving the
  // list keeps them.
  appendUnlisted(readSetting(defaults().value(Setting::SERVERS.name(), QVariantList())));
  // The table's rows follow the list: a view must hear of every change of their number.
  reloadTable();
}

void ServicesController::applyConfiguredServers() {
  kestor().disconnectServersExcept([this](const TypedServer &connected) {
    return std::any_of(configuredServers.begin(), configuredServers.end(),
                       [&](const TypedServer &listed) { return listed.sameAddress(connected); });
  });
  kestor().connectServers(configuredServers);
}
