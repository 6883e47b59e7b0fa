// The whole search through the map view: local items, the request to a stub service on the
// loopback interface, the answer's items and the log lines.
#include "StubSimbadServer.h"

#include "EventLoopWait.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "kestor/KESTOR.h"
#include "skymap/MapView.h"
#include "skymap/SimbadRequest.h"

#include <QLineEdit>
#include <QSettings>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

class NoBrowser : public NetServiceBrowser {
public:
  void searchForServices(const QString &, const QString &) override {}
};

// The started client object whose message log the search writes to; the library is not started.
KESTOR &client() {
  static KESTOR *kestor = [] {
    auto *k = new KESTOR(std::make_unique<NoBrowser>(), std::make_unique<NoBrowser>());
    k->framework.start = []() -> kestor_result { return KESTOR_OK; };
    k->framework.attachClient = [](kestor_client *) -> kestor_result { return KESTOR_OK; };
    k->start(false, false);
    waitUntil([k] { return !k->messages.isEmpty(); });  // "KESTOR Started..."
    return k;
  }();
  return *kestor;
}

class SimbadQuery : public testing::Test {
protected:
  void SetUp() override {
    client().messages.clear();
    map.objectSearch = &field;
    map.simbadTimeout = 1.0;
  }
  void TearDown() override {
    map.searchMenu->hide();
    kestor_set_log_level(0);
    defaults().remove(Setting::SIMBAD_URL.name());
  }

  // Types the query and presses return; waits for the answer when one was asked for.
  void search(const QString &service, const QString &query) {
    defaults().setValue(Setting::SIMBAD_URL.name(), service);
    field.setText(query);
    map.searchAction(&field);
    ASSERT_TRUE(waitUntil([&] { return field.isEnabled(); }, 8000));
  }
  QStringList titles() const {
    QStringList out;
    for (const QAction *action : map.searchMenu->actions())
      out << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
    return out;
  }
  // Log entries without their time stamps, once the queued ones have arrived.
  QStringList logged(int atLeast) const {
    waitUntil([&] { return client().messages.size() >= atLeast; }, 2000);
    spinFor(50);
    QStringList out;
    for (const QString &line : client().messages)
      out << line.section(u' ', 1);
    return out;
  }

  MapView map{QRect(0, 0, 400, 400)};
  QLineEdit field;
};

const QByteArray ANSWER = "BEGIN\nRA 101.28715533\nDEC -16.71611586\nID * alf CMa\nHIP 32349\nNAME Sirius\nEND\n";

}  // namespace

TEST_F(SimbadQuery, AnswerAddsItemsAfterTheLocalOnes) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, ANSWER);
  kestor_set_log_level(1);
  defaults().setValue(Setting::SIMBAD_URL.name(), stub.address());
  field.setText(QStringLiteral("Sirius"));
  map.searchAction(&field);
  EXPECT_FALSE(field.isEnabled());  // while the request is out
  EXPECT_EQ(titles(), QStringList({QStringLiteral("-- LOCAL -- (disabled)"), QStringLiteral("HIP32349, α Canis Majoris, Sirius"),
                                   QStringLiteral("-- SIMBAD -- (disabled)")}));
  ASSERT_TRUE(waitUntil([&] { return field.isEnabled(); }, 8000));
  EXPECT_EQ(titles().size(), 4);
  EXPECT_EQ(titles().last(), QStringLiteral("* alf CMa, Sirius"));
  const MapEntryPtr online = map.searchMenu->actions().last()->data().value<MapEntryPtr>();
  ASSERT_TRUE(online);
  EXPECT_EQ(online->id, 32349);
  EXPECT_TRUE(stub.target.startsWith("/simbad/sim-script?script="));
  EXPECT_EQ(QString::fromUtf8(QByteArray::fromPercentEncoding(stub.target.mid(26))), SimbadRequest::script(QStringLiteral("Sirius")));
  EXPECT_EQ(logged(2), QStringList({QStringLiteral("Waiting for SIMBAD response..."), QStringLiteral("Processed SIMBAD response")}));
}

TEST_F(SimbadQuery, ReservedCharactersReachTheService) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, "");
  search(stub.address(), QStringLiteral("QSO B1946+770&x=1"));
  ASSERT_EQ(stub.requests, 1);
  EXPECT_EQ(QString::fromUtf8(QByteArray::fromPercentEncoding(stub.target.mid(26))),
            SimbadRequest::script(QStringLiteral("QSO B1946+770&x=1")));
}

TEST_F(SimbadQuery, FailuresAreLoggedAndReenableTheField) {
  struct Case {
    const char *what;
    StubSimbadServer::Mode mode;
    int status;
  } cases[] = {
      {"closed without reply", StubSimbadServer::Mode::CloseWithoutReply, 0},
      {"silent until the time-out", StubSimbadServer::Mode::Silent, 0},
      {"error status without a body", StubSimbadServer::Mode::Answer, 500},
  };
  for (const Case &c : cases) {
    client().messages.clear();
    StubSimbadServer stub(c.mode, c.status);
    search(stub.address(), QStringLiteral("M 31"));
    EXPECT_GE(stub.requests, 1) << c.what;  // Qt sends a GET again once when the peer closes early
    EXPECT_EQ(logged(1), QStringList{QStringLiteral("Failed to connect to SIMBAD...")}) << c.what;
    EXPECT_EQ(titles().last(), QStringLiteral("-- SIMBAD -- (disabled)")) << c.what;
  }
  client().messages.clear();
  search(StubSimbadServer::refusingAddress(), QStringLiteral("M 31"));
  EXPECT_EQ(logged(1), QStringList{QStringLiteral("Failed to connect to SIMBAD...")}) << "refused";
}

TEST_F(SimbadQuery, ErrorStatusWithABodyIsReadLikeAnyAnswer) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 500, "NAME Broken\nEND\n");
  search(stub.address(), QStringLiteral("M 31"));
  EXPECT_EQ(titles().last(), QStringLiteral("Broken"));
  EXPECT_TRUE(logged(0).isEmpty());
}

TEST_F(SimbadQuery, LogLevelTwoLogsEveryLine) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, "ID A\nEND\n");
  kestor_set_log_level(2);
  search(stub.address(), QStringLiteral("star"));
  EXPECT_EQ(logged(3), QStringList({QStringLiteral("ID A"), QStringLiteral("END"), QString()}));
}

TEST_F(SimbadQuery, ShortQueries) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, ANSWER);
  map.searchMenu->addAction(QStringLiteral("previous"));
  search(stub.address(), QStringLiteral("ab"));  // under 3 bytes: nothing at all
  EXPECT_EQ(titles(), QStringList{QStringLiteral("previous")});
  search(stub.address(), QStringLiteral("Mar"));  // 3 bytes: only the local search
  EXPECT_EQ(titles().first(), QStringLiteral("-- LOCAL -- (disabled)"));
  EXPECT_EQ(titles().last(), QStringLiteral("Mars"));
  EXPECT_EQ(stub.requests, 0);
  search(stub.address(), QStringLiteral("αβ"));  // 2 characters, 4 bytes: also online
  EXPECT_EQ(stub.requests, 1);
}

TEST_F(SimbadQuery, OtherSendersOnlyFocusTheField) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, ANSWER);
  field.setText(QStringLiteral("Sirius"));
  QObject other;
  map.searchAction(&other);
  EXPECT_TRUE(map.searchMenu->actions().isEmpty());
  EXPECT_EQ(stub.requests, 0);
}

TEST_F(SimbadQuery, BadServiceAddressSearchesOnlyLocally) {
  search(QStringLiteral("not an address"), QStringLiteral("Sirius"));
  EXPECT_EQ(titles().last(), QStringLiteral("-- SIMBAD -- (disabled)"));
  EXPECT_TRUE(field.isEnabled());
}
