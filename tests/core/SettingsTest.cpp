// The typed readers against a real settings file: each case is read from the store that wrote it
// and again from a fresh store on the same file, where every scalar comes back as text.
#include <QDataStream>
#include <QDateTime>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

#include "core/Settings.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("settings.conf")); }

  // Calls read(store) on the writing store and on a reloaded one.
  template <typename Read> void bothStores(const QVariant &stored, Read read) {
    QSettings writer(path(), QSettings::IniFormat);
    writer.clear();
    if (stored.isValid()) writer.setValue(QStringLiteral("key"), stored);
    writer.sync();
    SCOPED_TRACE("written store");
    read(writer);
    QSettings reloaded(path(), QSettings::IniFormat);
    SCOPED_TRACE("reloaded store");
    read(reloaded);
  }
};

const QString KEY = QStringLiteral("key");

struct IntegerCase {
  const char *what;
  QVariant stored;
  qint64 expected;
};

TEST_F(SettingsFile, IntegerReadings) {
  const qint64 max = std::numeric_limits<qint64>::max();
  const IntegerCase cases[] = {
      {"absent", QVariant(), 7},
      {"boolean true", true, 1},
      {"boolean false", false, 0},
      {"number", 42, 42},
      {"digits then letters", QStringLiteral("12abc"), 12},
      {"letters only", QStringLiteral("abc"), 0},
      {"spaces and sign", QStringLiteral("  -5"), -5},
      {"fraction", 2.9, 2},
      {"too large text", QStringLiteral("99999999999999999999"), max},
      {"too large number", 1e300, max},
      {"data", QByteArray("\x01\x02", 2), 7},
      {"list", QStringList{QStringLiteral("1"), QStringLiteral("2")}, 7},
      {"date", QDateTime(QDate(2024, 1, 2), QTime(3, 4)), 7},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    bothStores(c.stored, [&](const QSettings &store) { EXPECT_EQ(UserDefaults::integerForKey(KEY, 7, store), c.expected); });
  }
}

struct BoolCase {
  const char *what;
  QVariant stored;
  bool defaultValue;
  bool expected;
};

TEST_F(SettingsFile, BoolReadings) {
  const BoolCase cases[] = {
      {"absent, default true", QVariant(), true, true},
      {"absent, default false", QVariant(), false, false},
      {"number 2", 2, false, true},
      {"number 0", 0, true, false},
      {"text yes", QStringLiteral("yes"), false, true},
      {"text No", QStringLiteral("No"), true, false},
      {"text true", QStringLiteral("true"), false, true},
      {"sign and zeros", QStringLiteral("  -007"), false, true},
      {"zeros only", QStringLiteral("000"), true, false},
      {"data", QByteArray("y"), true, true},
      {"data, default false", QByteArray("y"), false, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    bothStores(c.stored, [&](const QSettings &store) {
      EXPECT_EQ(UserDefaults::boolForKey(KEY, c.defaultValue, store), c.expected);
    });
  }
}

struct DoubleCase {
  const char *what;
  QVariant stored;
  double expected;
};

TEST_F(SettingsFile, DoubleReadings) {
  const DoubleCase cases[] = {
      {"absent gives the non-zero default", QVariant(), 2.5},
      {"number", 1500.5, 1500.5},
      {"text with trailing letters", QStringLiteral("0.25x"), 0.25},
      {"letters only", QStringLiteral("abc"), 0},
      {"boolean", true, 1},
      {"data", QByteArray("1.5"), 2.5},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    bothStores(c.stored, [&](const QSettings &store) { EXPECT_EQ(UserDefaults::doubleForKey(KEY, 2.5, store), c.expected); });
  }
}

TEST_F(SettingsFile, NumbersAreReadWithoutTheUsersLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const char *previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when the locale exists
  bothStores(1500.5, [](const QSettings &store) { EXPECT_EQ(UserDefaults::doubleForKey(KEY, 0, store), 1500.5); });
  if (previous != nullptr) std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(saved);
}

TEST_F(SettingsFile, ColorsRoundTripAndAnythingElseGivesTheDefault) {
  const QColor fallback(1, 2, 3);
  const QColor stored(10, 20, 30, 40);
  QByteArray foreign;
  {
    QDataStream stream(&foreign, QIODevice::WriteOnly);
    stream << QStringLiteral("not a colour");
  }
  struct {
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
    bothStores(c.value, [&](const QSettings &store) { EXPECT_EQ(UserDefaults::colorForKey(KEY, fallback, store), c.expected); });
  }
}

TEST_F(SettingsFile, SetColorWritesWhatColorForKeyReads) {
  QSettings store(path(), QSettings::IniFormat);
  UserDefaults::setColor(KEY, QColor(200, 100, 50));
  UserDefaults::setColor(KEY, QColor(200, 100, 50), store);
  store.sync();
  QSettings reloaded(path(), QSettings::IniFormat);
  EXPECT_EQ(UserDefaults::colorForKey(KEY, Qt::black, reloaded), QColor(200, 100, 50));
}

}  // namespace
