// The object search: matching the sky model, reading the SIMBAD service's answers, and the whole
// query against a stand-in for the service on the loopback interface.
#include "StubSimbadServer.h"

#include "EventLoopWait.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/LocalSearch.h"
#include "skymap/ObjectSearch.h"
#include "skymap/SimbadAnswer.h"
#include "skymap/SimbadRequest.h"

#include <QLineEdit>
#include <QSettings>

#include <gtest/gtest.h>
#include <kestor.h>

namespace {

// The titles of local results, or the names of the answer's entries.
QStringList titles(const std::vector<SearchResult> &results) {
  QStringList out;
  for (const SearchResult &r : results) out << r.title;
  return out;
}
QStringList names(const SimbadAnswer &answer) {
  std::vector<SearchResult> results;
  for (const MapEntryPtr &e : answer.entries) results.push_back({e->name.value_or(QStringLiteral("<none>")), e});
  return titles(results);
}

const QByteArray SIRIUS =
    "C.D.S.  -  SIMBAD4 rel 1.8\n::data::::::::::\n\nBEGIN\nRA 101.28715533\nDEC -16.71611586\n"
    "PM_RA -546.01\nPM_DEC -1223.07\nPLX 379.21\nRV -5.50\nTYPE SB*\nMAG -1.46\nDIM_X ~\n"
    "ID * alf CMa\nHIP 32349 \nNAME Sirius\nNAME Dog Star\nEND\n";

}  // namespace

TEST(LocalSearch, NormalisesAndMatchesTheModel) {
  for (const auto &[query, expected] : {std::pair{"m031", "M31"},
                                        {"ngc0224", "NGC224"},
                                        {"NGC 224", "NGC 224"},
                                        {"ic 434", "IC 434"},
                                        {"m+5", "M5"},
                                        {"mars", "MARS"},
                                        {"straße", "STRASSE"}})
    EXPECT_EQ(LocalSearch::normalised(QString::fromUtf8(query)), QString::fromUtf8(expected)) << query;
  const QString sirius = QStringLiteral("HIP32349, α Canis Majoris, Sirius");
  const QString m31 = QStringLiteral("NGC224, M31, Andromeda Galaxy");
  const struct {
    const char *query;
    QStringList found;
    bool exactly;
  } rows[] = {{"hip32349", {sirius}, true},
              {"hip 32349", {}, true},
              {"HIPPARCOS", {}, true},
              {"hip999999", {}, true},
              {"HIP3", {"HIP3"}, true},  // a star without a name
              {"sirius", {sirius}, false},
              {"m031", {m31}, false},
              {"M3", {m31, "NGC5272, M3"}, false},
              {"Saturn", {"Saturn"}, true},
              {"nothing of that name", {}, true}};
  for (const auto &row : rows) {
    const QStringList found = titles(LocalSearch::find(QString::fromUtf8(row.query), *SkyModel::shared()));
    EXPECT_TRUE(!row.exactly || found == row.found) << row.query;
    for (const QString &title : row.found)
      EXPECT_TRUE(found.contains(title)) << row.query << ": " << title.toStdString();
  }
  // Stars, then deep-sky objects, then bodies; each entry says where it is in the model.
  SkyModel sky;
  sky.stars = {SkyObject{.id = 5, .name = "Mars Star"}, SkyObject{}, SkyObject{.id = 6, .name = "marsh"}};
  sky.deepSky = {SkyObject{.name = "Mars Nebula"}};
  sky.bodies = {SkyObject{.id = 4, .name = "Mars"}};
  const auto results = LocalSearch::find(QStringLiteral("mar"), sky);
  EXPECT_EQ(titles(results), QStringList({"HIP5, Mars Star", "HIP6, marsh", "Mars Nebula", "Mars"}));
  EXPECT_EQ(results[1].entry->source, (SkyRef{SkyList::Stars, 2}));
  EXPECT_EQ(results[3].entry->source, (SkyRef{SkyList::Bodies, 0}));
}

TEST(SimbadAnswer, ReadsTheObjects) {
  QByteArray crlf = SIRIUS;
  const SimbadAnswer answer = SimbadAnswer::parse(crlf.replace("\n", "\r\n"), 2);
  ASSERT_EQ(answer.entries.size(), 1u);
  const SkyObject &sirius = answer.entries[0]->object;
  EXPECT_EQ(answer.entries[0]->name, QStringLiteral("* alf CMa, Sirius, Dog Star"));
  EXPECT_EQ(std::tuple(sirius.id, sirius.j2kRA, sirius.j2kDec, sirius.pmra, sirius.pmdec, sirius.px, sirius.rv,
                       sirius.mag, sirius.diameter),
            std::tuple(32349, 101.28715533 / 15, -16.71611586, -546.01f, -1223.07f, 379.21f, -5.5f, -1.46f, 0.0f));
  EXPECT_FALSE(answer.log.join("").contains(u'\r'));

  const struct {
    const char *what;
    QByteArray answer;
    QStringList names;
  } blocks[] = {{"identifiers joined in order",
                 "ID M 31\nNGC 224\nNAME Andromeda Galaxy\nEND\n",
                 {"M 31, NGC 224, Andromeda Galaxy"}},
                {"an IC line replaces the name", "ID M 31\nNAME Something\nIC 1234\nEND\n", {"IC 1234"}},
                {"ID NGC, ID IC and ID NAME", "ID NGC 1\nID IC 2\nID NAME Three\nEND\n", {"NGC 1, IC 2, Three"}},
                {"the middle one nameless", "BEGIN\nID A\nEND\nBEGIN\nRA 1\nEND\nBEGIN\nNAME C\nEND\n", {"A", "C"}},
                {"lines after the last END", "ID A\nEND\nID B\n", {"A"}},
                {"no final END", "BEGIN\nID A\nRA 1", {}},
                {"prefixes are case-sensitive", "id A\nname B\nEND\n", {}},
                {"a block without names", "BEGIN\nRA 10\nM 31\nEND\n", {}},
                {"an error answer", "::error:::::\n\n[3] Identifier not found in the database : NAME X\n", {}},
                {"bad UTF-8", "NAME A\xc3\nEND\n", {}},
                {"a surrogate", "NAME \xed\xa0\x80\nEND\n", {}},
                {"accents", "NAME Alpha \xc3\xa9\nEND\n", {QString::fromUtf8("Alpha é")}}};
  for (const auto &b : blocks) EXPECT_EQ(names(SimbadAnswer::parse(b.answer, 0)), b.names) << b.what;
  EXPECT_TRUE(SimbadAnswer::parse("\xff\xfe", 2).log.isEmpty());
}

TEST(SimbadAnswer, NumberLines) {
  const struct {
    const char *line;
    int32_t id;
    double ra, dec;
    float mag, diameter;
  } rows[] = {{"RA 10.68", 0, 0.712, 0, 0, 0},
              {"RA 1e2", 0, 100.0 / 15, 0, 0, 0},
              {"RA  \t10.68\t ", 0, 0.712, 0, 0, 0},
              {"DEC -5", 0, 0, -5, 0, 0},
              {"ID HIP 7", 7, 0, 0, 0, 0},
              {"HIP abc", 0, 0, 0, 0, 0},
              {"HIP 99999999999", 0, 0, 0, 0, 0},
              {"MAG ~", 0, 0, 0, 0, 0},
              {"MAG 1,5", 0, 0, 0, 0, 0},
              {"MAG 3.5", 0, 0, 0, 3.5f, 0},
              {"RA nan", 0, 0, 0, 0, 0},
              {"DIM_X 190\nDIM_Y 60", 0, 0, 0, 0, 190},
              {"DIM_Y 60\nDIM_X 190", 0, 0, 0, 0, 190}};
  for (const auto &r : rows) {
    const SimbadAnswer answer = SimbadAnswer::parse(QByteArray(r.line) + "\nNAME X\nEND\n", 0);
    ASSERT_EQ(answer.entries.size(), 1u) << r.line;
    const SkyObject &o = answer.entries[0]->object;
    EXPECT_NEAR(o.j2kRA, r.ra, 1e-12) << r.line;
    EXPECT_EQ(std::tuple(o.id, o.j2kDec, o.mag, o.diameter), std::tuple(r.id, r.dec, r.mag, r.diameter)) << r.line;
  }
  EXPECT_EQ(SimbadAnswer::parse("ID A\nEND\nID B\nEND\n", 1).log, QStringList(2, "Processed SIMBAD response"));
  EXPECT_TRUE(SimbadAnswer::parse("ID A\nEND\n", 0).log.isEmpty() &&
              SimbadAnswer::parse("ID A\nEND\n", 3).log.isEmpty());
}

namespace {

class SimbadQuery : public testing::Test {
protected:
  void SetUp() override {
    search.setField(&field), search.setTimeout(1.0);
    search.setLog([this](const QString &line) { lines << line; });
  }
  void TearDown() override {
    search.resultsMenu().hide(), kestor_set_log_level(0), defaults().remove(Setting::SIMBAD_URL.name());
  }
  // Types the query and presses return; waits until the field takes input again.
  void ask(const QString &service, const QString &query, bool wait = true) {
    lines.clear();
    defaults().setValue(Setting::SIMBAD_URL.name(), service);
    field.setText(query);
    search.search(&field);
    ASSERT_TRUE(!wait || waitUntil([&] { return field.isEnabled(); }, 8000));
  }
  QStringList titles() const {
    QStringList out;
    for (const QAction *action : search.resultsMenu().actions())
      out << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
    return out;
  }
  QString sent(const StubSimbadServer &stub) const {  // the script after "/simbad/sim-script?script="
    return QString::fromUtf8(QByteArray::fromPercentEncoding(stub.target.mid(26)));
  }
  QStringList lines;  // logged
  std::vector<MapEntryPtr> chosen;
  ObjectSearch search{SkyModel::shared(), [this](const MapEntryPtr &entry) { chosen.push_back(entry); }};
  QLineEdit field;
};

}  // namespace

TEST_F(SimbadQuery, AnswerAddsItemsAfterTheLocalOnes) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, SIRIUS);
  kestor_set_log_level(1);
  ask(stub.address(), QStringLiteral("Sirius"), false);
  EXPECT_FALSE(field.isEnabled());  // while the request is out
  EXPECT_EQ(titles(), QStringList({"-- LOCAL -- (off)", "HIP32349, α Canis Majoris, Sirius", "-- SIMBAD -- (off)"}));
  ASSERT_TRUE(waitUntil([&] { return field.isEnabled(); }, 8000));
  EXPECT_EQ(titles().size(), 4);
  EXPECT_EQ(titles().last(), QStringLiteral("* alf CMa, Sirius, Dog Star"));
  search.resultsMenu().actions().last()->trigger();
  ASSERT_TRUE(chosen.size() == 1 && chosen[0]->object.id == 32349);
  EXPECT_TRUE(stub.target.startsWith("/simbad/sim-script?script="));
  EXPECT_EQ(sent(stub), SimbadRequest::script(QStringLiteral("Sirius")));
  EXPECT_TRUE(sent(stub).startsWith("format object \"BEGIN\\nRA %COO(d;A;ICRS; J2000)\\nDEC %COO(d;D;ICRS;J2000)"));
  EXPECT_TRUE(sent(stub).endsWith("END\"\nquery id wildcard Sirius"));
  EXPECT_EQ(lines, QStringList({"Waiting for SIMBAD response...", "Processed SIMBAD response"}));

  ask(stub.address(), QStringLiteral("QSO B1946+770&x=1;50%"));  // reserved characters reach the service
  EXPECT_EQ(sent(stub), SimbadRequest::script(QStringLiteral("QSO B1946+770&x=1;50%")));
  kestor_set_log_level(2);
  ask(stub.address(), QStringLiteral("star"));
  EXPECT_EQ(lines.mid(0, 2), QStringList({"C.D.S.  -  SIMBAD4 rel 1.8", "::data::::::::::"}));
}

TEST_F(SimbadQuery, FailuresAreLoggedAndReenableTheField) {
  const QStringList failed{"Failed to connect to SIMBAD..."};
  const struct {
    const char *what;
    StubSimbadServer::Mode mode;
    int status;
    QByteArray body;
    QStringList log;
    QString last;
  } rows[] = {{"closed without reply", StubSimbadServer::Mode::CloseWithoutReply, 0, {}, failed, "-- SIMBAD -- (off)"},
              {"silent until the time-out", StubSimbadServer::Mode::Silent, 0, {}, failed, "-- SIMBAD -- (off)"},
              {"error status, no body", StubSimbadServer::Mode::Answer, 500, {}, failed, "-- SIMBAD -- (off)"},
              {"error status with a body", StubSimbadServer::Mode::Answer, 500, "NAME Broken\nEND\n", {}, "Broken"}};
  for (const auto &r : rows) {
    StubSimbadServer stub(r.mode, r.status, r.body);
    ask(stub.address(), QStringLiteral("M 31"));
    EXPECT_GE(stub.requests, 1) << r.what;  // Qt sends a GET again once when the peer closes early
    EXPECT_EQ(lines, r.log) << r.what;
    EXPECT_EQ(titles().last(), r.last) << r.what;
  }
  ask(StubSimbadServer::refusingAddress(), QStringLiteral("M 31"));
  EXPECT_EQ(lines, failed) << "refused";
  ask(QStringLiteral("not an address"), QStringLiteral("Sirius"));  // searches only locally
  EXPECT_EQ(titles().last(), QStringLiteral("-- SIMBAD -- (off)"));
  EXPECT_TRUE(SimbadRequest::url(QString::fromUtf8(Setting::SIMBAD_URL.defaultValue), "M31").isValid());
}

TEST_F(SimbadQuery, ShortQueries) {
  StubSimbadServer stub(StubSimbadServer::Mode::Answer, 200, SIRIUS);
  search.resultsMenu().addAction(QStringLiteral("previous"));
  ask(stub.address(), QStringLiteral("ab"));  // under 3 bytes: nothing at all
  EXPECT_EQ(titles(), QStringList{"previous"});
  ask(stub.address(), QStringLiteral("Mar"));  // 3 bytes: only the local search
  EXPECT_EQ(titles().first(), QStringLiteral("-- LOCAL -- (off)"));
  EXPECT_EQ(titles().last(), QStringLiteral("Mars"));
  EXPECT_EQ(stub.requests, 0);
  ask(stub.address(), QStringLiteral("αβ"));  // 2 characters, 4 bytes: also online
  EXPECT_EQ(stub.requests, 1);
}
