// Number text, strict numbers and sexagesimal text: none follows the user's locale.
#include "core/NumberText.h"
#include "core/Settings.h"
#include "core/Sexagesimal.h"
#include "core/StrictNumber.h"

#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

const auto NONE = std::nullopt;

// Each row is read as a 32-bit and as a 64-bit integer.
TEST(StrictNumber, Integers) {
  const struct {
    const char16_t *text;
    std::optional<int32_t> narrow;
    std::optional<int64_t> wide;
  } rows[] = {
      {u"32349", 32349, 32349},
      {u"+5", 5, 5},
      {u"-17", -17, -17},
      {u"007", 7, 7},
      {u"2147483647", INT32_MAX, INT32_MAX},
      {u"-2147483648", INT32_MIN, INT32_MIN},
      {u"2147483648", NONE, 2147483648},
      {u"9223372036854775807", NONE, INT64_MAX},
      {u"-9223372036854775808", NONE, INT64_MIN},
      {u"9223372036854775808", NONE, NONE},
      {u" 32349", NONE, NONE},
      {u"32349 ", NONE, NONE},
      {u"", NONE, NONE},
      {u"+", NONE, NONE},
      {u"+-5", NONE, NONE},
      {u"--5", NONE, NONE},
      {u"abc", NONE, NONE},
      {u"12a", NONE, NONE},
      {u"1.5", NONE, NONE},
      {u"٣", NONE, NONE},
      {u"0x50", NONE, NONE},
      {u"99999999999999999999999", NONE, NONE},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(QString::fromUtf16(row.text).toStdString());
    EXPECT_EQ(StrictNumber::toInt32(row.text), row.narrow);
    EXPECT_EQ(StrictNumber::toInt64(row.text), row.wide);
  }
}

TEST(StrictNumber, Reals) {
  const struct {
    const char16_t *text;
    std::optional<double> value;
  } rows[] = {
      {u"10.684708333", 10.684708333},
      {u"+41.26875", 41.26875},
      {u"-0.5", -0.5},
      {u"1e2", 100.0},
      {u".5", 0.5},
      {u"3", 3.0},
      {u"1,000", NONE},
      {u"nan", NONE},
      {u"inf", NONE},
      {u"-inf", NONE},
      {u"0x10", NONE},
      {u"~", NONE},
      {u"", NONE},
      {u" 1", NONE},
      {u"1.5.2", NONE},
      {u"+-1", NONE},
  };
  for (const auto &row : rows)
    EXPECT_EQ(StrictNumber::toDouble(row.text), row.value) << QString::fromUtf16(row.text).toStdString();
  EXPECT_EQ(StrictNumber::trimBlanks(u" \t12 \t"), u"12");
  EXPECT_EQ(StrictNumber::trimBlanks(u"\n12"), u"\n12");
  EXPECT_EQ(StrictNumber::trimBlanks(u"   "), u"");
}

TEST(NumberText, FormatsAndReadsNumbers) {
  const struct {
    double value;
    const char *format, *text;
  } shown[] = {
      {12.5, "%010.6m", "12:30:00.0"}, {1.5, "%g", "1.5"},      {2.0, "%g", "2"},   {0.25, "%.2f", "0.25"},
      {-3.1234567, "%g", "-3.123457"}, {1e7, "%g", "10000000"}, {NAN, "%g", "NaN"}, {-INFINITY, "%g", "-∞"},
  };
  for (const auto &row : shown)
    EXPECT_EQ(numberText(row.value, QLatin1String(row.format)), QString::fromUtf8(row.text));
  const struct {
    const char *text, *format;
    std::optional<double> value;
  } read[] = {
      {"12:30", "%9.6m", 12.5},   {"-1 30 0", "%9.6m", -1.5}, {"12:30x", "%9.6m", NONE},
      {"1:2:3:4", "%9.6m", NONE}, {"::", "%9.6m", NONE},      {"1e999", "%9.6m", NONE},
      {" 1.5 ", "%g", 1.5},       {"1.5x", "%g", NONE},       {"inf", "%g", NONE},
  };
  for (const auto &row : read)
    EXPECT_EQ(parseTarget(QLatin1String(row.text), QLatin1String(row.format)), row.value) << row.text;
}

const QString UNFORMATTABLE = QString::fromUtf16(UNFORMATTABLE_SEXAGESIMAL);

TEST(Sexagesimal, Formats) {
  const struct {
    double value;
    const char *text;
  } rows[] = {
      {12.5, "12:30:00.0"},
      {-12.5, "-12:30:00.0"},
      {0, "0:00:00.0"},
      {-0.0, "0:00:00.0"},
      {-0.5, "-0:30:00.0"},
      {1 + 59.96 / 3600, "1:00:60.0"},
      {10 + 20.0 / 60 + 5.3 / 3600, "10:20:05.3"},
      {359.999, "359:59:56.4"},
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
  const struct {
    const char *text;
    double value;
  } rows[] = {
      {"-10:30:00", -10.5},
      {"10:-30", 9.5},
      {" -10:30", -10.0 / 60 + 30.0 / 3600},
      {"10  20", 10 + 20.0 / 3600},
      {"10:20:30", tenTwentyThirty},
      {"10'20'30", tenTwentyThirty},
      {"10*20*30", tenTwentyThirty},
      {"10 20 30 40", tenTwentyThirty},
      {"5", 5},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"12.5", 12.5},
      {"1e1:30", 10.5},
      {"1e:30", 1.5},
      {"+4:30", 4.5},
      {"4.:30", 4.5},
      {".5", 0.5},
      {"\t7", 7},
      {"7abc:30x", 7.5},
      {"nan", 0},
      {"inf", 0},
      {"0x1p3", 0},
      {"1:00:60.0", 1 + 1.0 / 60},
      {"1e-400", 0},
      {"0.0001e-320", 0},
  };
  for (const auto &row : rows) EXPECT_DOUBLE_EQ(parseSexagesimal(QString::fromUtf8(row.text)), row.value) << row.text;
  for (const char *tooLarge : {"1e999", "1000e306", "-1e999:30"})
    EXPECT_EQ(std::fabs(parseSexagesimal(QString::fromUtf8(tooLarge))), HUGE_VAL) << tooLarge;
  for (double value : {0.0, 12.5, -12.5, 23.999, 1 + 59.96 / 3600, -89.123456, 359.5, 0.000013})
    EXPECT_NEAR(parseSexagesimal(formatSexagesimal(value)), value, 0.05 / 3600 + 1e-12);
}

TEST(Sexagesimal, Substring) {
  const QString line = QStringLiteral("DIM_Y 12");
  const struct {
    qsizetype from, length;
    const char *text;
  } rows[] = {
      {6, 8, "12"}, {6, 100, "12"}, {0, 3, "DIM"}, {9, 100, ""}, {5, 2, ""}, {-1, 2, ""},
  };
  for (const auto &row : rows) EXPECT_EQ(substring(line, row.from, row.length), QLatin1String(row.text)) << row.from;
}

// Under a locale with a decimal comma, number text and stored numbers still use the point.
TEST(NumberText, IgnoresACommaLocale) {
  QTemporaryDir locales;
  QProcess localedef;
  localedef.start(QStringLiteral("localedef"),
                  {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                   locales.filePath(QStringLiteral("de_DE.UTF-8"))});
  if (!localedef.waitForFinished(30000) || localedef.exitCode() != 0)
    GTEST_SKIP() << "cannot build the de_DE.UTF-8 locale";
  qputenv("LOCPATH", locales.path().toUtf8());
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") || std::string(std::localeconv()->decimal_point) != ",")
    GTEST_SKIP() << "the de_DE.UTF-8 locale does not load";
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(formatSexagesimal(10 + 20.0 / 60 + 5.3 / 3600).toStdString(), "10:20:05.3");
  EXPECT_DOUBLE_EQ(parseSexagesimal(QStringLiteral("10.5")), 10.5);
  EXPECT_DOUBLE_EQ(parseSexagesimal(QStringLiteral("10,5")), 10);
  EXPECT_EQ(numberText(1500.5, QStringLiteral("%g")), QStringLiteral("1500.5"));
  EXPECT_EQ(parseTarget(QStringLiteral("1500.5"), QStringLiteral("%g")), 1500.5);
  EXPECT_EQ(parseTarget(QStringLiteral("1500,5"), QStringLiteral("%g")), std::nullopt);
  QSettings store(locales.filePath(QStringLiteral("settings.conf")), QSettings::IniFormat);
  store.setValue(QStringLiteral("key"), 1500.5);
  store.sync();
  EXPECT_EQ(UserDefaults::doubleForKey(QStringLiteral("key"), 0, QSettings(store.fileName(), QSettings::IniFormat)),
            1500.5);
  QLocale::setDefault(QLocale::c());
  std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
