// The server list of the preferences sheet: reading the saved value, adding, removing and saving,
// discovered services, and what the launch and each confirmation connect and disconnect, an
// unreachable server kept and malformed entries skipped. That a server which never answers holds
// nothing up is the program test's (it quits at once beside one).
#include "Fakes.h"
#include "app/MainInterface.h"
#include "app/SavedServers.h"
#include "app/ServicesModel.h"
#include "core/Globals.h"
#include "kestor/discovery/NetService.h"

#include <QSettings>
#include <QTest>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <cstring>
#include <list>
#include <set>

namespace {

const QString SERVERS = QStringLiteral("servers");

QVariantMap server(const QVariant &host, const QVariant &port) {
  QVariantMap map;
  if (host.isValid()) map[QStringLiteral("host")] = host;
  if (port.isValid()) map[QStringLiteral("port")] = port;
  return map;
}

class ServerList : public ::testing::Test {
protected:
  ServerList() { defaults().clear(); }
  // Every confirmation's refresh has run before the client object goes.
  ~ServerList() override {
    EXPECT_TRUE(QTest::qWaitFor([&] { return fake.calls("enumerate_properties").size() == confirmations; }, 5000));
  }

  // Loads the interface as at launch, reading the settings as they are now. Servers on the
  // answering ports connect, elsewhere time out.
  void launch(std::set<int32_t> answering = {}) {
    auto client = makeFakeClient();
    client->refreshDelay = 0;
    fake.connect = [this, answering](const char *, const char *host, int32_t port, kestor_server_entry **entry) {
      if (!answering.contains(port)) return kestor_result(KESTOR_TIMEOUT);
      std::lock_guard guard(entriesMutex);
      kestor_server_entry &made = entries.emplace_back();  // kept: the client object may still compare it
      std::strncpy(made.host, host, sizeof made.host - 1);
      made.port = port;
      *entry = &made;
      return kestor_result(KESTOR_OK);
    };
    interface = std::make_unique<MainInterface>(std::move(client));
    interface->kestor->start(false, false);  // hooks the library's reports, as at launch
  }
  // "host:port" of every connection attempt ("connect_server") or disconnection ("disconnect_server").
  QStringList calls(const char *function) {
    QStringList texts;
    for (const FrameworkCall &call : fake.calls(function))
      texts << (call.entry ? QString::fromUtf8(call.entry->host) + ':' + QString::number(call.entry->port)
                           : QString::fromStdString(call.property) + ':' + QString::number(call.value));
    return texts;
  }
  void openSheet() {
    interface->mainUi.preferencesAction->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(interface->preferencePanel));
  }
  void confirm() {
    ++confirmations;
    QTest::mouseClick(interface->preferencesUi.buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
  }
  void add(const QString &host, const QString &port) {
    ui().hostnameField->setText(host);
    ui().portField->setText(port);
    QTest::mouseClick(ui().addButton, Qt::LeftButton);
  }
  void clickRow(int row) {
    QTableView *table = ui().servicesTableView;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 0)).center());
  }

  QStringList rows() const {
    QStringList texts;
    for (int row = 0; row < model().rowCount(); ++row) texts << model().index(row, 0).data().toString();
    return texts;
  }
  // The saved list as the file on disk holds it.
  QStringList savedOnDisk() const {
    defaults().sync();
    QStringList texts;
    for (const TypedServer &saved : readSavedServers(
             QSettings(defaults().fileName(), QSettings::IniFormat).value(SERVERS), [](const QString &) {}))
      texts << saved.host + ':' + QString::number(saved.port);
    return texts;
  }
  QStringList connected() const {
    QStringList texts;
    for (const TypedServer &server : kestor().configuredServers)
      if (server.state == TypedServer::State::Connected) texts << server.host + ':' + QString::number(server.port);
    return texts;
  }

  KESTOR &kestor() const { return *interface->kestor; }
  Ui::Preferences &ui() const { return interface->preferencesUi; }
  ServicesModel &model() const { return *interface->servicesController.model(); }

  FakeFramework &fake = FakeFramework::shared();
  size_t confirmations = 0;
  std::mutex entriesMutex;
  std::list<kestor_server_entry> entries;  // outlive the client object
  std::unique_ptr<MainInterface> interface;
};

TEST(SavedServers, EntriesAreReadOneByOneAndBadOnesAreReported) {
  const QVariant junk = QStringLiteral("junk");
  const struct {
    const char *what;
    QVariant value;
    std::vector<TypedServer> servers;
    int reports;
  } cases[] = {
      {"integer port", QVariantList{server("a", 7624), server("b", qint64(7625))}, {{"a", 7624}, {"b", 7625}}, 0},
      {"port as text", QVariantList{server("a", "7625"), server("b", "+80")}, {{"a", 7625}, {"b", 80}}, 0},
      {"port text not a whole number", QVariantList{server("a", "80x"), server("b", " 80"), server("c", "")}, {}, 3},
      {"port neither number nor text", QVariantList{server("a", 1.5), server("b", QVariant())}, {}, 2},
      {"host missing or not text", QVariantList{server(QVariant(), 7624), server(5, 7624)}, {}, 2},
      {"entry not a dictionary", QVariantList{junk, server("a", 1)}, {{"a", 1}}, 1},
      {"a single dictionary", server("a", 1), {{"a", 1}}, 0},
      {"not a list", junk, {}, 1},
      {"empty list", QVariantList{}, {}, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    int reports = 0;
    EXPECT_EQ(readSavedServers(c.value, [&](const QString &) { ++reports; }), c.servers);
    EXPECT_EQ(reports, c.reports);
  }
}

TEST_F(ServerList, AddAndRemoveEditTheUsersServersAfterTheDiscoveredOnesAndSaveAtOnce) {
  launch();
  for (const char *name : {"one", "two"})
    kestor().services.push_back(std::make_shared<FakeService>(name, "_indi._tcp", "local."));
  openSheet();
  // The host as typed; the typed port, or 7624 when it is not a number.
  for (const auto &[host, port] :
       {std::pair{"alpha", "abc"}, {"beta", ""}, {"gamma", "+80"}, {"", "7625"}, {"%2", "1"}})
    add(host, port);
  EXPECT_EQ(rows(), (QStringList{"one", "two", "alpha (7624)", "beta (7624)", "gamma (80)", " (7625)", "%2 (1)"}));
  EXPECT_EQ(savedOnDisk(), (QStringList{"alpha:7624", "beta:7624", "gamma:80", ":7625", "%2:1"}));
  EXPECT_EQ(model().index(0, 0).data(ServicesModel::CellIdentifierRole).toString(), "service");
  EXPECT_TRUE(calls("connect_server").isEmpty()) << "nothing is connected before the sheet is confirmed";

  // Nothing selected (a discovered service cannot be): Remove only rewrites the list.
  defaults().setValue(SERVERS, QStringLiteral("overwritten?"));
  clickRow(1);
  EXPECT_TRUE(ui().servicesTableView->selectionModel()->selectedRows().isEmpty());
  EXPECT_FALSE(ui().removeButton->isEnabled());
  interface->servicesController.removeAction();
  EXPECT_EQ(savedOnDisk().size(), 5);
  // The selected row, the fields and Remove; a service clicked or reached with the arrow keys
  // leaves the server selected.
  QTableView *table = ui().servicesTableView;
  const auto selection = [&] {
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    return QStringList{selected.size() == 1 ? QString::number(selected[0].row()) : QStringLiteral("none"),
                       ui().hostnameField->text() + ':' + ui().portField->text(),
                       ui().removeButton->isEnabled() ? QStringLiteral("remove") : QStringLiteral("-")};
  };
  const struct {
    const char *what;
    std::function<void()> act;
    QStringList selected;
  } steps[] = {
      {"a server clicked", [&] { clickRow(3); }, {"3", "beta:7624", "remove"}},
      {"a service clicked", [&] { clickRow(1); }, {"3", "beta:7624", "remove"}},
      {"the server next to the services clicked", [&] { clickRow(2); }, {"2", "alpha:7624", "remove"}},
      {"the services reached with the arrow keys",
       [&] {
         QTest::keyClick(table, Qt::Key_Up);
         QTest::keyClick(table, Qt::Key_Up);
       },
       {"2", "alpha:7624", "remove"}},
      {"a service clicked and back down with the arrow keys",
       [&] {
         clickRow(0);
         QTest::keyClick(table, Qt::Key_Down);
         QTest::keyClick(table, Qt::Key_Down);
         QTest::keyClick(table, Qt::Key_Down);
       },
       {"3", "beta:7624", "remove"}},
  };
  for (const auto &step : steps) {
    step.act();
    EXPECT_EQ(selection(), step.selected) << step.what;
  }
  QTest::mouseClick(ui().removeButton, Qt::LeftButton);
  EXPECT_EQ(rows(), (QStringList{"one", "two", "alpha (7624)", "gamma (80)", " (7625)", "%2 (1)"}));
  EXPECT_EQ(savedOnDisk(), (QStringList{"alpha:7624", "gamma:80", ":7625", "%2:1"}));
  EXPECT_FALSE(ui().removeButton->isEnabled());
}

TEST_F(ServerList, ConfirmingDisconnectsRemovedServersAndConnectsAddedOnes) {
  // Malformed entries are skipped one by one with a log line; the launch connects the rest a
  // second later.
  defaults().setValue(SERVERS, QVariantList{QStringLiteral("junk"), server("127.0.0.1", "7001"), server(QVariant(), 1),
                                            server("127.0.0.1", 7002), server("127.0.0.1", "abc")});
  launch({7001, 7002, 7003});
  ASSERT_TRUE(QTest::qWaitFor([&] { return connected().size() == 2; }, 5000));
  EXPECT_EQ(calls("connect_server"), (QStringList{"127.0.0.1:7001", "127.0.0.1:7002"}));
  EXPECT_EQ(kestor().messages.filter(QStringLiteral("skipped")).size(), 3)
      << kestor().messages.join('\n').toStdString();
  // The library reports the end of the connection to a port, as when its server goes away.
  const auto endConnection = [this](int32_t port) {
    for (const TypedServer &server : kestor().configuredServers)
      if (server.port == port) kestor_server_ended_handler(server.entry);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !connected().contains("127.0.0.1:" + QString::number(port)); }, 5000));
  };
  const struct {
    const char *what;
    std::function<void()> edit;
    QStringList connects, disconnects, connected;
  } steps[] = {
      {"no change", [] {}, {}, {}, {"127.0.0.1:7001", "127.0.0.1:7002"}},
      {"one removed",
       [this] {
         clickRow(0);
         QTest::mouseClick(ui().removeButton, Qt::LeftButton);
       },
       {},
       {"127.0.0.1:7001"},
       {"127.0.0.1:7002"}},
      {"one added", [this] { add("127.0.0.1", "7003"); }, {"127.0.0.1:7003"}, {}, {"127.0.0.1:7002", "127.0.0.1:7003"}},
      {"same host, other port",
       [this] { add("127.0.0.1", "7001"); },
       {"127.0.0.1:7001"},
       {},
       {"127.0.0.1:7002", "127.0.0.1:7003", "127.0.0.1:7001"}},
      {"one went away",
       [&] { endConnection(7002); },
       {"127.0.0.1:7002"},
       {},
       {"127.0.0.1:7003", "127.0.0.1:7001", "127.0.0.1:7002"}},
      {"one unreachable",
       [this] { add("127.0.0.1", "7004"); },
       {"127.0.0.1:7004"},
       {},
       {"127.0.0.1:7003", "127.0.0.1:7001", "127.0.0.1:7002"}},
      {"the unreachable one kept and tried again",
       [] {},
       {"127.0.0.1:7004"},
       {},
       {"127.0.0.1:7003", "127.0.0.1:7001", "127.0.0.1:7002"}},
  };
  for (const auto &step : steps) {
    SCOPED_TRACE(step.what);
    const qsizetype connectsBefore = calls("connect_server").size(),
                    disconnectsBefore = calls("disconnect_server").size();
    openSheet();
    step.edit();
    confirm();
    EXPECT_TRUE(QTest::qWaitFor([&] { return connected() == step.connected; }, 5000))
        << connected().join(' ').toStdString();
    QTest::qWait(100);
    EXPECT_EQ(calls("connect_server").mid(connectsBefore), step.connects);
    EXPECT_EQ(calls("disconnect_server").mid(disconnectsBefore), step.disconnects);
  }
  EXPECT_EQ(savedOnDisk(), (QStringList{"127.0.0.1:7003", "127.0.0.1:7001", "127.0.0.1:7002", "127.0.0.1:7004"}));
}

}  // namespace
