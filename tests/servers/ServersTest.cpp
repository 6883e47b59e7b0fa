// The server list of the preferences sheet: reading the saved value, adding, removing, saving,
// the restore after a restart, an unreachable server, a malformed saved value, and what
// confirming the sheet connects and disconnects.
#include "Fakes.h"
#include "FakeServers.h"
#include "app/MainInterface.h"
#include "app/SavedServers.h"
#include "app/ServicesModel.h"
#include "core/Globals.h"
#include "kestor/discovery/NetService.h"

#include <QSettings>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <atomic>

namespace {

const QString SERVERS = QStringLiteral("servers");

std::atomic<int> enumerations{0};

kestor_result countEnumeration(kestor_client *, kestor_property *) {
  ++enumerations;
  return KESTOR_OK;
}

QVariantMap server(const QVariant &host, const QVariant &port) {
  QVariantMap map;
  if (host.isValid()) map[QStringLiteral("host")] = host;
  if (port.isValid()) map[QStringLiteral("port")] = port;
  return map;
}

class StubService : public NetService {
public:
  using NetService::NetService;
  void resolve(double) override {}
};

class ServerList : public ::testing::Test {
protected:
  ServerList() {
    defaults().clear();
    enumerations = 0;
  }
  ~ServerList() override { finishRefreshes(); }

  // Every confirmation's refresh has run: the client object may go.
  void finishRefreshes() { EXPECT_TRUE(QTest::qWaitFor([&] { return enumerations == confirmations; }, 5000)); }

  // Loads the interface as at launch, reading the settings as they are now.
  void launch() {
    finishRefreshes();
    interface.reset();
    auto client = makeFakeClient();
    fake_servers::install(*client);
    client->framework.enumerateProperties = &countEnumeration;
    client->refreshDelay = 0;
    interface = std::make_unique<MainInterface>(std::move(client));
    interface->kestor->start(false, false);  // hooks the library's reports, as at launch
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
    interface->preferencesUi.hostnameField->setText(host);
    interface->preferencesUi.portField->setText(port);
    QTest::mouseClick(interface->preferencesUi.addButton, Qt::LeftButton);
  }
  void clickRow(int row) {
    QTableView *table = interface->preferencesUi.servicesTableView;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 0)).center());
  }

  QStringList rows() const {
    QStringList texts;
    const ServicesModel *model = services().model();
    for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, 0).data().toString();
    return texts;
  }
  // The saved list as the file on disk holds it.
  QStringList savedOnDisk() const {
    defaults().sync();
    QSettings file(defaults().fileName(), QSettings::IniFormat);
    QStringList texts;
    for (const TypedServer &saved : readSavedServers(file.value(SERVERS), [](const QString &) {}))
      texts << saved.host + ':' + QString::number(saved.port);
    return texts;
  }
  QStringList connected() const {
    QStringList texts;
    for (const TypedServer &server : kestor().configuredServers)
      if (server.state == TypedServer::State::Connected)
        texts << QString::fromUtf8(server.entry->host) + ':' + QString::number(server.entry->port);
    return texts;
  }

  // The library reports the end of the connection to a port, as when its server goes away.
  void endConnection(int32_t port) {
    for (const TypedServer &server : kestor().configuredServers)
      if (server.port == port) kestor_server_ended_handler(server.entry);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !connected().contains("127.0.0.1:" + QString::number(port)); }, 5000));
  }

  KESTOR &kestor() const { return *interface->kestor; }
  ServicesController &services() const { return interface->servicesController; }

  int confirmations = 0;
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

TEST_F(ServerList, AddTakesTheHostAsTypedAndTheTypedPortOr7624AndSavesAtOnce) {
  launch();
  openSheet();
  add("alpha", "abc");
  add("beta", "");
  add("gamma", "+80");
  add("", "7625");
  add("gamma", "+80");
  add("%2", "1");
  EXPECT_EQ(rows(), (QStringList{"alpha (7624)", "beta (7624)", "gamma (80)", " (7625)", "gamma (80)", "%2 (1)"}));
  EXPECT_EQ(savedOnDisk(), (QStringList{"alpha:7624", "beta:7624", "gamma:80", ":7625", "gamma:80", "%2:1"}));
  EXPECT_TRUE(connected().isEmpty());  // nothing is connected before the sheet is confirmed
  EXPECT_TRUE(fake_servers::connects().isEmpty());
}

TEST_F(ServerList, RemoveTakesTheSelectedServerAndAlwaysRewritesTheList) {
  launch();
  openSheet();
  add("alpha", "1");
  add("beta", "2");
  defaults().setValue(SERVERS, QStringLiteral("overwritten?"));
  QTest::mouseClick(interface->preferencesUi.removeButton, Qt::LeftButton);  // disabled: nothing selected
  services().removeAction();
  EXPECT_EQ(savedOnDisk(), (QStringList{"alpha:1", "beta:2"}));

  clickRow(1);
  EXPECT_TRUE(interface->preferencesUi.removeButton->isEnabled());
  EXPECT_EQ(interface->preferencesUi.hostnameField->text(), "beta");
  EXPECT_EQ(interface->preferencesUi.portField->text(), "2");
  QTest::mouseClick(interface->preferencesUi.removeButton, Qt::LeftButton);
  EXPECT_EQ(rows(), QStringList{"alpha (1)"});
  EXPECT_EQ(savedOnDisk(), QStringList{"alpha:1"});
  EXPECT_FALSE(interface->preferencesUi.removeButton->isEnabled());
}

TEST_F(ServerList, DiscoveredServicesComeFirstAndCannotBeSelected) {
  launch();
  for (const char *name : {"one", "two", "three"})
    kestor().services.push_back(std::make_shared<StubService>(name, "_indi._tcp", "local."));
  openSheet();
  add("alpha", "1");
  add("beta", "2");
  EXPECT_EQ(rows(), (QStringList{"one", "two", "three", "alpha (1)", "beta (2)"}));
  EXPECT_EQ(services().model()->index(0, 0).data(ServicesModel::CellIdentifierRole).toString(), "service");
  clickRow(1);
  EXPECT_TRUE(interface->preferencesUi.servicesTableView->selectionModel()->selectedRows().isEmpty());
  EXPECT_FALSE(interface->preferencesUi.removeButton->isEnabled());
  clickRow(3);
  EXPECT_TRUE(interface->preferencesUi.removeButton->isEnabled());
  EXPECT_EQ(interface->preferencesUi.hostnameField->text(), "alpha");
  QTest::mouseClick(interface->preferencesUi.removeButton, Qt::LeftButton);
  EXPECT_EQ(rows(), (QStringList{"one", "two", "three", "beta (2)"}));
}

TEST_F(ServerList, SavedServersComeBackAfterARestartAndAnUnreachableOneIsKept) {
  launch();
  fake_servers::answerOn(7001);
  openSheet();
  add("127.0.0.1", "7001");
  add("127.0.0.1", "7002");  // nothing answers there
  confirm();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fake_servers::connects().size() == 2; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return connected() == QStringList{"127.0.0.1:7001"}; }, 5000));

  // The next launch connects both again a second later, the unreachable one in vain.
  launch();
  fake_servers::answerOn(7001);
  EXPECT_TRUE(services().configuredServers.empty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return fake_servers::connects().size() == 2; }, 5000));
  EXPECT_EQ(fake_servers::connects(), (QStringList{"127.0.0.1:7001", "127.0.0.1:7002"}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return connected() == QStringList{"127.0.0.1:7001"}; }, 5000));
  EXPECT_EQ(rows(), (QStringList{"127.0.0.1 (7001)", "127.0.0.1 (7002)"}));

  // Opening the sheet keeps the unreachable server; saving keeps it; confirming tries it again.
  openSheet();
  EXPECT_EQ(rows(), (QStringList{"127.0.0.1 (7001)", "127.0.0.1 (7002)"}));
  add("127.0.0.1", "7003");
  EXPECT_EQ(savedOnDisk(), (QStringList{"127.0.0.1:7001", "127.0.0.1:7002", "127.0.0.1:7003"}));
  confirm();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fake_servers::connects().size() == 4; }, 5000));
  EXPECT_EQ(fake_servers::connects().mid(2), (QStringList{"127.0.0.1:7002", "127.0.0.1:7003"}));
  EXPECT_TRUE(fake_servers::disconnects().isEmpty());
}

TEST_F(ServerList, AServerThatDoesNotAnswerNeverHoldsUpTheWindow) {
  launch();
  fake_servers::silentOn(7009);
  openSheet();
  add("127.0.0.1", "7009");
  QElapsedTimer clock;
  clock.start();
  confirm();
  EXPECT_LT(clock.elapsed(), 500);
  // The window keeps answering while the connection waits for its time-out.
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(50);
  ASSERT_TRUE(QTest::qWaitFor([] { return fake_servers::connects().size() == 1; }, 1000));
  QTest::qWait(int(fake_servers::SILENT_WAIT_MS) / 2);
  EXPECT_GE(ticks, 5);
  QTest::qWait(int(fake_servers::SILENT_WAIT_MS));
  EXPECT_TRUE(connected().isEmpty());
}

TEST_F(ServerList, AMalformedSavedValueIsSkippedEntryByEntryWithALogLine) {
  defaults().setValue(SERVERS, QVariantList{QStringLiteral("junk"), server("127.0.0.1", "7001"), server(QVariant(), 1),
                                            server("127.0.0.1", "abc")});
  launch();
  fake_servers::answerOn(7001);
  ASSERT_TRUE(QTest::qWaitFor([&] { return connected() == QStringList{"127.0.0.1:7001"}; }, 5000));
  EXPECT_EQ(rows(), QStringList{"127.0.0.1 (7001)"});
  EXPECT_EQ(kestor().messages.filter(QStringLiteral("skipped")).size(), 3) << kestor().messages.join('\n').toStdString();

  defaults().setValue(SERVERS, QStringLiteral("not a list"));
  launch();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !kestor().messages.filter(QStringLiteral("skipped")).isEmpty(); }, 5000));
  EXPECT_TRUE(services().configuredServers.empty());
  EXPECT_TRUE(fake_servers::connects().isEmpty());
}

TEST_F(ServerList, ConfirmingDisconnectsRemovedServersAndConnectsAddedOnes) {
  defaults().setValue(SERVERS, QVariantList{server("127.0.0.1", 7001), server("127.0.0.1", 7002)});
  launch();
  fake_servers::answerOn(7001);
  fake_servers::answerOn(7002);
  fake_servers::answerOn(7003);
  ASSERT_TRUE(QTest::qWaitFor([&] { return connected().size() == 2; }, 5000));

  const struct {
    const char *what;
    std::function<void()> edit;
    QStringList connects, disconnects, connected;
  } steps[] = {
      {"no change", [] {}, {}, {}, {"127.0.0.1:7001", "127.0.0.1:7002"}},
      {"one removed", [this] { clickRow(0); QTest::mouseClick(interface->preferencesUi.removeButton, Qt::LeftButton); },
       {}, {"127.0.0.1:7001"}, {"127.0.0.1:7002"}},
      {"one added", [this] { add("127.0.0.1", "7003"); }, {"127.0.0.1:7003"}, {}, {"127.0.0.1:7002", "127.0.0.1:7003"}},
      {"same host, other port", [this] { add("127.0.0.1", "7001"); }, {"127.0.0.1:7001"}, {},
       {"127.0.0.1:7002", "127.0.0.1:7003", "127.0.0.1:7001"}},
      {"one went away", [this] { endConnection(7002); }, {"127.0.0.1:7002"}, {},
       {"127.0.0.1:7003", "127.0.0.1:7001", "127.0.0.1:7002"}},
  };
  for (const auto &step : steps) {
    SCOPED_TRACE(step.what);
    const qsizetype connectsBefore = fake_servers::connects().size();
    const qsizetype disconnectsBefore = fake_servers::disconnects().size();
    openSheet();
    step.edit();
    confirm();
    EXPECT_TRUE(QTest::qWaitFor([&] { return connected() == step.connected; }, 5000)) << connected().join(' ').toStdString();
    QTest::qWait(100);
    EXPECT_EQ(fake_servers::connects().mid(connectsBefore), step.connects);
    EXPECT_EQ(fake_servers::disconnects().mid(disconnectsBefore), step.disconnects);
  }
}

}  // namespace
