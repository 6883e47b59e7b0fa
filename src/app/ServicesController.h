// The server list of the preferences sheet: the discovered services and the user's own servers
// in one table; servers are added from the host and port fields, removed when selected, saved
// under "servers" at once, connected again shortly after launch, and made to agree with the
// framework's connections when the sheet opens and when it is confirmed.
#pragma once

#include "app/BaseController.h"
#include "app/SavedServers.h"
#include "app/ServicesModel.h"

#include <QPointer>
#include <QVariant>

#include <memory>
#include <variant>
#include <vector>

class NetService;
class QLineEdit;
class QPushButton;
class QTableView;

class ServicesController : public BaseController {
  Q_OBJECT

public:
  using Row = std::variant<std::monostate, std::shared_ptr<NetService>, TypedServer>;

  static constexpr qint64 DEFAULT_PORT = 7624;
  // Seconds between waking and the restore of the saved servers.
  static constexpr double RESTORE_DELAY = 1.0;

  explicit ServicesController(QObject *parent = nullptr);

  // Outlets, set by the interface loader.
  QPointer<QTableView> servicesTableView;
  QPointer<QLineEdit> hostnameField;
  QPointer<QLineEdit> portField;
  QPointer<QPushButton> addButton;
  QPointer<QPushButton> removeButton;

  // The user's servers in the order added or restored (main thread).
  std::vector<TypedServer> configuredServers;

  // Runs once every outlet of the interface is set: shows the table and restores the saved list.
  void awakeFromNib();

  // The service or server shown in a row; nothing past the end.
  Row itemForRow(int row) const;
  int numberOfRows() const;
  // What the table shows in a row: a service's name, or a server's host and port.
  ServicesModel::Row cellForRow(int row) const;
  ServicesModel *model() const { return servicesModel_; }

  // The list as stored under "servers" (the settings are not written to disk here).
  void saveServers();
  // Restores the saved list a second later, unless the list has entries.
  void loadServers();
  // Appends the servers of a stored value and connects each (main thread).
  void restoreServers(const QVariant &value);

  void servicesChanged() override;
  void reloadConfiguredServers() override;
  void applyConfiguredServers() override;

public slots:
  void addAction();
  void removeAction();

private:
  void reloadTable();
  // No for a service; for a server, its host and port into the fields, Remove enabled, and yes.
  bool shouldSelectRow(int row);
  std::vector<TypedServer> readSetting(const QVariant &value);
  // Appends the saved servers that the list does not hold yet (as often as they are saved).
  void appendUnlisted(const std::vector<TypedServer> &saved);

  ServicesModel *servicesModel_ = nullptr;
};
