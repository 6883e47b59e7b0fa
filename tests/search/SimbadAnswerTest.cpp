// The answer parser on hand-written answers in the service's shape.
#include "skymap/SimbadAnswer.h"

#include <gtest/gtest.h>

namespace {

const QByteArray HEADER =
    "C.D.S.  -  SIMBAD4 rel 1.8  -  2026.12.06CET12:00:00\n"
    "script:\n"
    "format object \"BEGIN\\nRA %COO(d;A;ICRS; J2000)\\n...\\nEND\"\n"
    "::data::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::\n\n";

const QByteArray M31 = HEADER +
    "BEGIN\nRA 10.684708333\nDEC +41.26875\nPM_RA ~\nPM_DEC ~\nPLX ~\nRV -300\nTYPE AGx\nMAG 3.44\n"
    "DIM_X 199.53\nDIM_Y 70.79\nDIM_ANGLE 35\nID M  31\nNGC   224\nNAME Andromeda Galaxy\n"
    "2MASX J00424433+4116074\nEND\n";

const QByteArray SIRIUS = HEADER +
    "BEGIN\nRA 101.28715533\nDEC -16.71611586\nPM_RA -546.01\nPM_DEC -1223.07\nPLX 379.21\nRV -5.50\n"
    "TYPE SB*\nMAG -1.46\nDIM_X ~\nDIM_Y ~\nDIM_ANGLE ~\nID * alf CMa\nHIP 32349 \nNAME Sirius\n"
    "NAME Dog Star\nEND\n";

const QByteArray NOT_FOUND =
    "C.D.S.  -  SIMBAD4 rel 1.8\n\n::error::::::::::::::::::::::::::::::::::::::::::::::::::\n\n"
    "[3] Identifier not found in the database : NAME NOSUCHTHING\n";

std::vector<QString> names(const SimbadAnswer &answer) {
  std::vector<QString> out;
  for (const MapEntryPtr &e : answer.entries)
    out.push_back(e->name.value_or(QStringLiteral("<none>")));
  return out;
}

}  // namespace

TEST(SimbadAnswer, Galaxy) {
  const SimbadAnswer answer = SimbadAnswer::parse(M31, 0);
  ASSERT_EQ(answer.entries.size(), 1u);
  const MapEntry &m31 = *answer.entries[0];
  EXPECT_EQ(m31.name, QStringLiteral("M  31, NGC   224, Andromeda Galaxy"));
  EXPECT_DOUBLE_EQ(m31.object.j2kRA, 10.684708333 / 15.0);
  EXPECT_DOUBLE_EQ(m31.object.j2kDec, 41.26875);
  EXPECT_FLOAT_EQ(m31.object.mag, 3.44f);
  EXPECT_FLOAT_EQ(m31.object.diameter, 199.53f);  // the larger size, in the answer's unit
  EXPECT_FLOAT_EQ(m31.object.rv, -300.0f);
  EXPECT_EQ(m31.object.pmra, 0.0f);  // "~" reads as nothing
  EXPECT_TRUE(answer.log.isEmpty());
}

TEST(SimbadAnswer, Star) {
  const SimbadAnswer answer = SimbadAnswer::parse(SIRIUS, 0);
  ASSERT_EQ(answer.entries.size(), 1u);
  const MapEntry &sirius = *answer.entries[0];
  EXPECT_EQ(sirius.object.id, 32349);  // despite the trailing blank
  EXPECT_EQ(sirius.name, QStringLiteral("* alf CMa, Sirius, Dog Star"));
  EXPECT_FLOAT_EQ(sirius.object.pmra, -546.01f);
  EXPECT_FLOAT_EQ(sirius.object.pmdec, -1223.07f);
  EXPECT_FLOAT_EQ(sirius.object.px, 379.21f);
  EXPECT_EQ(sirius.object.diameter, 0.0f);
}

TEST(SimbadAnswer, PrefixRules) {
  struct Case {
    const char *what;
    QByteArray answer;
    std::vector<QString> names;
  } cases[] = {
      {"identifiers are joined in order", "ID M 31\nNGC 224\nNAME Andromeda Galaxy\nEND\n",
       {QStringLiteral("M 31, NGC 224, Andromeda Galaxy")}},
      {"an IC line replaces the name", "ID M 31\nNAME Something\nIC 1234\nEND\n", {QStringLiteral("IC 1234")}},
      {"ID NGC, ID IC and ID NAME keep their catalogue", "ID NGC 1\nID IC 2\nID NAME Three\nEND\n",
       {QStringLiteral("NGC 1, IC 2, Three")}},
      {"a block without name lines gives no item", "BEGIN\nRA 10\nM 31\nEND\n", {}},
      {"three blocks, the middle one nameless",
       "BEGIN\nID A\nEND\nBEGIN\nRA 1\nEND\nBEGIN\nNAME C\nEND\n", {QStringLiteral("A"), QStringLiteral("C")}},
      {"lines after the last END are dropped", "ID A\nEND\nID B\n", {QStringLiteral("A")}},
      {"no final END gives nothing", "BEGIN\nID A\nRA 1", {}},
      {"prefixes are case-sensitive", "id A\nname B\nEND\n", {}},
      {"an error answer gives nothing", NOT_FOUND, {}},
      {"empty answer", "", {}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(names(SimbadAnswer::parse(c.answer, 0)), c.names) << c.what;
}

TEST(SimbadAnswer, NumberLines) {
  struct Case {
    const char *line;
    int32_t id;
    double ra, dec;
    float mag, diameter;
  } cases[] = {
      {"RA 10.68", 0, 0.712, 0, 0, 0},
      {"RA 1e2", 0, 100.0 / 15.0, 0, 0, 0},
      {"RA  \t10.68\t ", 0, 0.712, 0, 0, 0},
      {"DEC +41.26875", 0, 0, 41.26875, 0, 0},
      {"DEC -5", 0, 0, -5, 0, 0},
      {"HIP 32349 ", 32349, 0, 0, 0, 0},
      {"ID HIP 7", 7, 0, 0, 0, 0},
      {"HIP abc", 0, 0, 0, 0, 0},
      {"HIP 99999999999", 0, 0, 0, 0, 0},
      {"MAG ~", 0, 0, 0, 0, 0},
      {"MAG 1,5", 0, 0, 0, 0, 0},
      {"RA nan", 0, 0, 0, 0, 0},
      {"DIM_X 190\nDIM_Y 60", 0, 0, 0, 0, 190},
      {"DIM_Y 60\nDIM_X 190", 0, 0, 0, 0, 190},
  };
  for (const Case &c : cases) {
    const SimbadAnswer answer = SimbadAnswer::parse(QByteArray(c.line) + "\nNAME X\nEND\n", 0);
    ASSERT_EQ(answer.entries.size(), 1u) << c.line;
    const MapEntry &e = *answer.entries[0];
    EXPECT_EQ(e.object.id, c.id) << c.line;
    EXPECT_NEAR(e.object.j2kRA, c.ra, 1e-12) << c.line;
    EXPECT_EQ(e.object.j2kDec, c.dec) << c.line;
    EXPECT_EQ(e.object.mag, c.mag) << c.line;
    EXPECT_EQ(e.object.diameter, c.diameter) << c.line;
  }
}

TEST(SimbadAnswer, CarriageReturnsAreDropped) {
  QByteArray crlf = SIRIUS;
  crlf.replace("\n", "\r\n");
  const SimbadAnswer answer = SimbadAnswer::parse(crlf, 2);
  ASSERT_EQ(answer.entries.size(), 1u);
  EXPECT_EQ(answer.entries[0]->name, QStringLiteral("* alf CMa, Sirius, Dog Star"));
  EXPECT_DOUBLE_EQ(answer.entries[0]->object.j2kDec, -16.71611586);
  for (const QString &line : answer.log)
    EXPECT_FALSE(line.contains(u'\r'));
}

TEST(SimbadAnswer, BadUtf8GivesNothing) {
  for (const QByteArray &bad : {QByteArray("\xff\xfe"), QByteArray("NAME A\xc3\nEND\n"), QByteArray("NAME \xed\xa0\x80\nEND\n")}) {
    const SimbadAnswer answer = SimbadAnswer::parse(bad, 2);
    EXPECT_TRUE(answer.entries.empty());
    EXPECT_TRUE(answer.log.isEmpty());
  }
  const SimbadAnswer accented = SimbadAnswer::parse("NAME Alpha \xc3\xa9\nEND\n", 0);
  ASSERT_EQ(accented.entries.size(), 1u);
  EXPECT_EQ(accented.entries[0]->name, QStringLiteral("Alpha é"));
}

TEST(SimbadAnswer, LogLevels) {
  const QByteArray two = "ID A\nEND\nID B\nEND\n";
  EXPECT_TRUE(SimbadAnswer::parse(two, 0).log.isEmpty());
  EXPECT_EQ(SimbadAnswer::parse(two, 1).log,
            QStringList({QStringLiteral("Processed SIMBAD response"), QStringLiteral("Processed SIMBAD response")}));
  EXPECT_EQ(SimbadAnswer::parse(two, 2).log,
            QStringList({QStringLiteral("ID A"), QStringLiteral("END"), QStringLiteral("ID B"), QStringLiteral("END"),
                         QString()}));
  EXPECT_TRUE(SimbadAnswer::parse(two, 3).log.isEmpty());
}
