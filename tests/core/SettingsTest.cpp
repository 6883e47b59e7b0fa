// The typed readers against a real settings file: each value is read from the store that wrote it
// and again from a fresh store on the same file, where every scalar comes back as text.
#include <QDataStream>
#include <QDateTime>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Settings.h"

namespace {

const QString KEY = QStringLiteral("key");

class SettingsFile : public ::testing::Test {
protected:
  QTemporaryDir dir;

  // Calls read(store) on the writing store and on a reloaded one.
  template <typename Read>
  void bothStores(const QVariant &stored, Read read) {
    const QString path = dir.filePath(QStringLiteral("settings.conf"));
    QSettings writer(path, QSettings::IniFormat);
    writer.clear();
    if (stored.isValid()) writer.setValue(KEY, stored);
    writer.sync();
    SCOPED_TRACE("written store");
    read(writer);
    QSettings reloaded(path, QSettings::IniFormat);
    SCOPED_TRACE("reloaded store");
    read(reloaded);
  }
};

// Defaults: 7 for integers, 2.5 for reals, and false then true for booleans.
TEST_F(SettingsFile, ScalarReadings) {
  const qint64 max = std::numeric_limits<qint64>::max();
  const struct {
    const char *what;
    QVariant stored;
    qint64 integer;
    double real;
    bool boolean, booleanByDefaultTrue;
  } cases[] = {
      {"absent", QVariant(), 7, 2.5, false, true},
      {"boolean true", true, 1, 1, true, true},
      {"boolean false", false, 0, 0, false, false},
      {"number", 42, 42, 42, true, true},
      {"real", 1500.5, 1500, 1500.5, true, true},
      {"fraction", 2.9, 2, 2.9, true, true},
      {"digits then letters", QStringLiteral("12abc"), 12, 12, true, true},
      {"real then letters", QStringLiteral("0.25x"), 0, 0.25, false, false},
      {"letters only", QStringLiteral("abc"), 0, 0, false, false},
      {"inf", QStringLiteral("inf"), 0, 0, false, false},
      {"nan", QStringLiteral("nan"), 0, 0, false, false},
      {"-inf", QStringLiteral("-inf"), 0, 0, false, false},
      {"-nan", QStringLiteral("-nan"), 0, 0, false, false},
      {"+infinity", QStringLiteral(" +infinity"), 0, 0, false, false},
      {"two signs", QStringLiteral("+-5"), 0, 0, false, false},
      {"sign then point", QStringLiteral("-.5"), 0, -0.5, false, false},
      {"spaces and sign", QStringLiteral("  -5"), -5, -5, true, true},
      {"sign and zeros", QStringLiteral("  -007"), -7, -7, true, true},
      {"zeros only", QStringLiteral("000"), 0, 0, false, false},
      {"yes", QStringLiteral("yes"), 0, 0, true, true},
      {"No", QStringLiteral("No"), 0, 0, false, false},
      {"true", QStringLiteral("true"), 1, 1, true, true},
      {"too large text", QStringLiteral("99999999999999999999"), max, 1e20, true, true},
      {"exponent too large", QStringLiteral("1e999"), 1, HUGE_VAL, true, true},
      {"negative exponent too large", QStringLiteral(" -1e999"), -1, -HUGE_VAL, true, true},
      {"digits too many", QStringLiteral("1000e306"), 1000, HUGE_VAL, true, true},
      {"exponent too small", QStringLiteral("1e-999"), 1, 0, true, true},
      {"too large number", 1e300, max, 1e300, true, true},
      {"too large unsigned", std::numeric_limits<quint64>::max(), max, 18446744073709551615.0, true, true},
      {"data", QByteArray("1.5"), 7, 2.5, false, true},
      {"list", QStringList{QStringLiteral("1"), QStringLiteral("2")}, 7, 2.5, false, true},
      {"date", QDateTime(QDate(2024, 1, 2), QTime(3, 4)), 7, 2.5, false, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    bothStores(c.stored, [&](const QSettings &store) {
      EXPECT_EQ(UserDefaults::integerForKey(KEY, 7, store), c.integer);
      EXPECT_EQ(UserDefaults::doubleForKey(KEY, 2.5, store), c.real);
      EXPECT_EQ(UserDefaults::boolForKey(KEY, false, store), c.boolean);
      EXPECT_EQ(UserDefaults::boolForKey(KEY, true, store), c.booleanByDefaultTrue);
    });
  }
}

TEST_F(SettingsFile, ColorsRoundTripAndAnythingElseGivesTheDefault) {
  const QColor fallback(1, 2, 3), stored(10, 20, 30, 40);
  QByteArray foreign;
  QDataStream stream(&foreign, QIODevice::WriteOnly);
  stream << QStringLiteral("not a colour");
  const struct {
    const char *what;
    QVariant value;
    QColor expected;
  } cases[] = {
      {"absent", QVariant(), fallback},
      {"archived colour", UserDefaults::encodeColor(stored), stored},
      {"random bytes", QByteArray("\x13\x37garbage"), fallback},
      {"archive of a text", foreign, fallback},
      {"magic without a colour", QByteArray("KCOLOR01"), fallback},
      {"colour with trailing bytes", UserDefaults::encodeColor(stored) + "x", fallback},
      {"not data", 42, fallback},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    bothStores(c.value,
               [&](const QSettings &store) { EXPECT_EQ(UserDefaults::colorForKey(KEY, fallback, store), c.expected); });
  }
}

}  // namespace
