#include "core/Sexagesimal.h"

#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

const QString UNFORMATTABLE = QString::fromUtf16(UNFORMATTABLE_SEXAGESIMAL);

TEST(Sexagesimal, Formats) {
  const struct { double value; const char *text; } rows[] = {
      {12.5, "12:30:00.0"}, {-12.5, "-12:30:00.0"}, {0, "0:00:00.0"}, {-0.0, "0:00:00.0"}, {-0.5, "-0:30:00.0"},
      {1 + 59.96 / 3600, "1:00:60.0"}, {10 + 20.0 / 60 + 5.3 / 3600, "10:20:05.3"}, {359.999, "359:59:56.4"},
      {3e9, "3000000000:00:00.0"},
  };
  for (const auto &row : rows) EXPECT_EQ(formatSexagesimal(row.value).toStdString(), row.text);
  EXPECT_EQ(formatSexagesimal(12.5, QStringLiteral("h "), QStringLiteral("m ")).toStdString(), "12h 30m 00.0");
  EXPECT_EQ(formatSexagesimal(-12.5, QStringLiteral("°"), std::nullopt), QStringLiteral("-12°30"));
  EXPECT_EQ(formatSexagesimal(12.99, QStringLiteral(":"), std::nullopt).toStdString(), "12:59");
  for (double value : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -9223372036854775808.0}) {
    EXPECT_EQ(formatSexagesimal(value), UNFORMATTABLE) << value;
    EXPECT_EQ(parseSexagesimal(formatSexagesimal(value)), 0);
  }
  EXPECT_NE(formatSexagesimal(9.2e18), UNFORMATTABLE);
}

TEST(Sexagesimal, ParsesAndRoundTripsToATenthOfASecond) {
  const double tenTwentyThirty = 10 + 20.0 / 60 + 30.0 / 3600;
  const struct { const char *text; double value; } rows[] = {
      {"-10:30:00", -10.5}, {"10:-30", 9.5}, {" -10:30", -10.0 / 60 + 30.0 / 3600}, {"10  20", 10 + 20.0 / 3600},
      {"10:20:30", tenTwentyThirty}, {"10'20'30", tenTwentyThirty}, {"10*20*30", tenTwentyThirty},
      {"10 20 30 40", tenTwentyThirty}, {"5", 5}, {"", 0}, {"abc", 0}, {"-", 0}, {"12.5", 12.5}, {"1e1:30", 10.5},
      {"1e:30", 1.5}, {"+4:30", 4.5}, {"4.:30", 4.5}, {".5", 0.5}, {"\t7", 7}, {"7abc:30x", 7.5}, {"nan", 0},
      {"inf", 0}, {"0x1p3", 0}, {"1:00:60.0", 1 + 1.0 / 60}, {"1e-400", 0},
  };
  for (const auto &row : rows) EXPECT_DOUBLE_EQ(parseSexagesimal(QString::fromUtf8(row.text)), row.value) << row.text;
  EXPECT_EQ(parseSexagesimal(QStringLiteral("1e999")), HUGE_VAL);
  for (double value : {0.0, 12.5, -12.5, 23.999, 1 + 59.96 / 3600, -89.123456, 359.5, 0.000013})
    EXPECT_NEAR(parseSexagesimal(formatSexagesimal(value)), value, 0.05 / 3600 + 1e-12);
}

TEST(Sexagesimal, Substring) {
  const QString line = QStringLiteral("DIM_Y 12");
  const struct { qsizetype from, length; const char *text; } rows[] = {
      {6, 8, "12"}, {6, 100, "12"}, {0, 3, "DIM"}, {9, 100, ""}, {5, 2, ""}, {-1, 2, ""},
  };
  for (const auto &row : rows) EXPECT_EQ(substring(line, row.from, row.length), QLatin1String(row.text)) << row.from;
}

TEST(Sexagesimal, IgnoresACommaLocale) {
  QTemporaryDir locales;
  QProcess localedef;
  localedef.start(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                                QStringLiteral("UTF-8"), locales.filePath(QStringLiteral("de_DE.UTF-8"))});
  if (!localedef.waitForFinished(30000) || localedef.exitCode() != 0) GTEST_SKIP() << "cannot build the de_DE.UTF-8 locale";
  qputenv("LOCPATH", locales.path().toUtf8());
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") || std::string(std::localeconv()->decimal_point) != ",")
    GTEST_SKIP() << "the de_DE.UTF-8 locale does not load";
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(formatSexagesimal(10 + 20.0 / 60 + 5.3 / 3600).toStdString(), "10:20:05.3");
  EXPECT_DOUBLE_EQ(parseSexagesimal(QStringLiteral("10.5")), 10.5);
  EXPECT_DOUBLE_EQ(parseSexagesimal(QStringLiteral("10,5")), 10);
  QLocale::setDefault(QLocale::c());
  std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
