// The whole object search: local items, the request to a stub service on the loopback interface,
// the answer's items and the log lines.
#include "StubSimbadServer.h"

#include "EventLoopWait.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/ObjectSearch.h"
#include "skymap/SimbadRequest.h"

#include <QLineEdit>
#include <QSettings>

#include <gtest/gtest.h>
#include <kestor.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

class SimbadQuery : public testing::Test {
protected:
  void SetUp() override {
    search.setField(&field);
    search.setTimeout(1.0);
    search.setLog([this](const QString &line) { lines << line; });
  }
  void TearDown() override {
    search.resultsMenu().hide();
    kestor_set_log_level(0);
    defaults().remove(Setting::SIMBAD_URL.name());
  }

  // Types the query and presses return; waits for the answer when one was asked for.
  void ask(const QString &service, const QString &query) {
    defaults().setValue(Setting::SIMBAD_URL.name(), service);
    field.setText(query);
    search.search(&field);
    ASSERT_TRUE(waitUntil([&] { return field.isEnabled(); }, 8000));
  }
  QStringList titles() const {
    QStringList out;
    for (const QAction *action : search.resultsMenu().actions())
      out << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
    return out;
  }
  QStringList lines;  // logged
  std::vector<MapEntryPtr> chosen;
  ObjectSearch search{SkyModel::shared(), [this](const MapEntryPtr &entry) { chosen.push_back(entry); }};
  QLineEdit field;
};

const QByteArray ANSWER = "BEGIN\nRA 101.28715533\nDEC -16.71611586\nID * alf CMa\nHIP 32349\nNAME Sirius\nEND\n";

}  // namespace

TEST_F(SimbadQuery, AnswerAddsItemsAfterTheLocalOnes) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, ANSWER);
  kestor_set_log_level(1);
  defaults().setValue(Setting::SIMBAD_URL.name(), stub.address());
  field.setText(QStringLiteral("Sirius"));
  search.search(&field);
  EXPECT_FALSE(field.isEnabled());  // while the request is out
  EXPECT_EQ(titles(), QStringList({QStringLiteral("-- LOCAL -- (disabled)"), QStringLiteral("HIP32349, α Canis Majoris, Sirius"),
                                   QStringLiteral("-- SIMBAD -- (disabled)")}));
  ASSERT_TRUE(waitUntil([&] { return field.isEnabled(); }, 8000));
  EXPECT_EQ(titles().size(), 4);
  EXPECT_EQ(titles().last(), QStringLiteral("* alf CMa, Sirius"));
  const MapEntryPtr online = search.resultsMenu().actions().last()->data().value<MapEntryPtr>();
  ASSERT_TRUE(online);
  EXPECT_EQ(online->object.id, 32349);
  search.resultsMenu().actions().last()->trigger();
  EXPECT_EQ(chosen, std::vector<MapEntryPtr>{online});
  EXPECT_TRUE(stub.target.startsWith("/simbad/sim-script?script="));
  EXPECT_EQ(QString::fromUtf8(QByteArray::fromPercentEncoding(stub.target.mid(26))), SimbadRequest::script(QStringLiteral("Sirius")));
  EXPECT_EQ(lines, QStringList({QStringLiteral("Waiting for SIMBAD response..."), QStringLiteral("Processed SIMBAD response")}));
}

TEST_F(SimbadQuery, ReservedCharactersReachTheService) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, "");
  ask(stub.address(), QStringLiteral("QSO B1946+770&x=1"));
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
    lines.clear();
    StubSimbadServer stub(c.mode, c.status);
    ask(stub.address(), QStringLiteral("M 31"));
    EXPECT_GE(stub.requests, 1) << c.what;  // Qt sends a GET again once when the peer closes early
    EXPECT_EQ(lines, QStringList{QStringLiteral("Failed to connect to SIMBAD...")}) << c.what;
    EXPECT_EQ(titles().last(), QStringLiteral("-- SIMBAD -- (disabled)")) << c.what;
  }
  lines.clear();
  ask(StubSimbadServer::refusingAddress(), QStringLiteral("M 31"));
  EXPECT_EQ(lines, QStringList{QStringLiteral("Failed to connect to SIMBAD...")}) << "refused";
}

TEST_F(SimbadQuery, ErrorStatusWithABodyIsReadLikeAnyAnswer) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 500, "NAME Broken\nEND\n");
  ask(stub.address(), QStringLiteral("M 31"));
  EXPECT_EQ(titles().last(), QStringLiteral("Broken"));
  EXPECT_TRUE(lines.isEmpty());
}

TEST_F(SimbadQuery, LogLevelTwoLogsEveryLine) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, "ID A\nEND\n");
  kestor_set_log_level(2);
  ask(stub.address(), QStringLiteral("star"));
  EXPECT_EQ(lines, QStringList({QStringLiteral("ID A"), QStringLiteral("END"), QString()}));
}

TEST_F(SimbadQuery, ShortQueries) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, ANSWER);
  search.resultsMenu().addAction(QStringLiteral("previous"));
  ask(stub.address(), QStringLiteral("ab"));  // under 3 bytes: nothing at all
  EXPECT_EQ(titles(), QStringList{QStringLiteral("previous")});
  ask(stub.address(), QStringLiteral("Mar"));  // 3 bytes: only the local search
  EXPECT_EQ(titles().first(), QStringLiteral("-- LOCAL -- (disabled)"));
  EXPECT_EQ(titles().last(), QStringLiteral("Mars"));
  EXPECT_EQ(stub.requests, 0);
  ask(stub.address(), QStringLiteral("αβ"));  // 2 characters, 4 bytes: also online
  EXPECT_EQ(stub.requests, 1);
}

TEST_F(SimbadQuery, OtherSendersOnlyFocusTheField) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, ANSWER);
  field.setText(QStringLiteral("Sirius"));
  QObject other;
  search.search(&other);
  EXPECT_TRUE(search.resultsMenu().actions().isEmpty());
  EXPECT_EQ(stub.requests, 0);
}

TEST_F(SimbadQuery, BadServiceAddressSearchesOnlyLocally) {
  ask(QStringLiteral("not an address"), QStringLiteral("Sirius"));
  EXPECT_EQ(titles().last(), QStringLiteral("-- SIMBAD -- (disabled)"));
  EXPECT_TRUE(field.isEnabled());
}
