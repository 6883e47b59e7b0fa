#include "core/Settings.h"

#include <QDataStream>
#include <QIODevice>
#include <QObject>
#include <QSettings>

#include <charconv>
#include <cmath>
#include <limits>

#include "core/DecimalText.h"
#include "core/SettingsFileWatch.h"

namespace {

constexpr char COLOR_MAGIC[] = "KCOLOR01";
constexpr qsizetype COLOR_MAGIC_SIZE = sizeof COLOR_MAGIC - 1;

// Kinds of stored value that have no number reading.
bool isNumberLike(const QVariant &value) {
  switch (value.typeId()) {
  case QMetaType::Bool:
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::Long:
  case QMetaType::ULong:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
  case QMetaType::Short:
  case QMetaType::UShort:
  case QMetaType::Char:
  case QMetaType::SChar:
  case QMetaType::UChar:
  case QMetaType::Float:
  case QMetaType::Double: return true;
  default: return false;
  }
}

bool isText(const QVariant &value) { return value.typeId() == QMetaType::QString; }

// The text after leading white space, as UTF-8.
QByteArray afterSpace(const QString &text) {
  qsizetype i = 0;
  while (i < text.size() && text.at(i).isSpace()) ++i;
  return text.mid(i).toUtf8();
}

// A settings file keeps no types: a boolean comes back as the text "true" or "false".
std::optional<double> booleanText(const QString &text) {
  if (text == u"true") return 1.0;
  if (text == u"false") return 0.0;
  return std::nullopt;
}

qint64 saturate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return std::numeric_limits<qint64>::max();
  if (value <= -9.2233720368547758e18) return std::numeric_limits<qint64>::min();
  return static_cast<qint64>(value);
}

// The decimal integer at the start of the text, after white space; 0 when there is none.
qint64 leadingInteger(const QString &text) {
  const QByteArray bytes = afterSpace(text);
  const char *begin = bytes.constData();
  const char *end = begin + bytes.size();
  bool negative = false;
  if (begin != end && (*begin == '+' || *begin == '-')) negative = *begin++ == '-';
  quint64 magnitude = 0;
  const auto [next, error] = std::from_chars(begin, end, magnitude);
  (void)next;
  if (error == std::errc::invalid_argument) return 0;
  constexpr quint64 limit = static_cast<quint64>(std::numeric_limits<qint64>::max());
  if (error == std::errc::result_out_of_range || magnitude > limit)
    return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
  return negative ? -static_cast<qint64>(magnitude) : static_cast<qint64>(magnitude);
}

// The decimal number at the start of the text, after white space; 0 when there is none, plus or
// minus HUGE_VAL when too large. Read without the user's locale: "2.5" is two and a half everywhere.
double leadingDouble(const QString &text) {
  const QByteArray bytes = afterSpace(text);
  const char *begin = bytes.constData();
  const char *end = begin + bytes.size();
  const char *digits = begin != end && (*begin == '+' || *begin == '-') ? begin + 1 : begin;
  if (digits == end || !(std::isdigit(static_cast<unsigned char>(*digits)) || *digits == '.'))
    return 0;  // no "inf" or "nan" words, signed or not
  if (*begin == '+') ++begin;
  double value = 0;
  const auto [next, error] = decimalFromChars(begin, end, value);
  (void)next;
  if (error == std::errc::invalid_argument) return 0;
  return value;
}

// Tells every onChange listener of a write.
class SettingsNotifier : public QObject {
  Q_OBJECT

signals:
  void changed(const QString &key);
};

// Made on first use and never destroyed, so that listeners may outlive static destruction.
SettingsNotifier &notifier() {
  static SettingsNotifier *const instance = new SettingsNotifier;
  return *instance;
}

}  // namespace

namespace UserDefaults {

std::optional<qint64> integerReading(const QVariant &value) {
  if (isText(value)) {
    const QString text = value.toString();
    if (auto boolean = booleanText(text)) return static_cast<qint64>(*boolean);
    return leadingInteger(text);
  }
  if (!isNumberLike(value)) return std::nullopt;
  if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) return saturate(value.toDouble());
  if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong) {
    const quint64 unsignedValue = value.toULongLong();
    constexpr quint64 limit = static_cast<quint64>(std::numeric_limits<qint64>::max());
    return static_cast<qint64>(std::min(unsignedValue, limit));
  }
  return value.toLongLong();
}

std::optional<bool> boolReading(const QVariant &value) {
  if (isText(value)) {
    const QByteArray bytes = afterSpace(value.toString());
    qsizetype i = 0;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) ++i;
    while (i < bytes.size() && bytes[i] == '0') ++i;
    if (i == bytes.size()) return false;
    const char first = bytes[i];
    return first == 'Y' || first == 'y' || first == 'T' || first == 't' || (first >= '1' && first <= '9');
  }
  if (!isNumberLike(value)) return std::nullopt;
  if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) return value.toDouble() != 0;
  return value.toLongLong() != 0 || value.toULongLong() != 0;
}

std::optional<double> doubleReading(const QVariant &value) {
  if (isText(value)) {
    const QString text = value.toString();
    if (auto boolean = booleanText(text)) return *boolean;
    return leadingDouble(text);
  }
  if (!isNumberLike(value)) return std::nullopt;
  return value.toDouble();
}

qint64 integerForKey(const QString &key, qint64 defaultValue, const QSettings &store) {
  return integerReading(store.value(key)).value_or(defaultValue);
}

bool boolForKey(const QString &key, bool defaultValue, const QSettings &store) {
  return boolReading(store.value(key)).value_or(defaultValue);
}

double doubleForKey(const QString &key, double defaultValue, const QSettings &store) {
  return doubleReading(store.value(key)).value_or(defaultValue);
}

QColor colorForKey(const QString &key, const QColor &defaultValue, const QSettings &store) {
  const QVariant value = store.value(key);
  if (value.typeId() != QMetaType::QByteArray) return defaultValue;
  return decodeColor(value.toByteArray()).value_or(defaultValue);
}

QString textForKey(const QString &key, const QString &defaultValue, const QSettings &store) {
  const QVariant value = store.value(key);
  return isText(value) ? value.toString() : defaultValue;
}

void setColor(const QString &key, const QColor &color, QSettings &store) { store.setValue(key, encodeColor(color)); }

bool read(const SettingKey<bool> &setting, const QSettings &store) {
  return boolForKey(setting.name(), setting.defaultValue, store);
}

qint64 read(const SettingKey<qint64> &setting, const QSettings &store) {
  return integerForKey(setting.name(), setting.defaultValue, store);
}

double read(const SettingKey<double> &setting, const QSettings &store) {
  return doubleForKey(setting.name(), setting.defaultValue, store);
}

QString read(const SettingKey<const char *> &setting, const QSettings &store) {
  return textForKey(setting.name(), QString::fromUtf8(setting.defaultValue), store);
}

void write(const QString &key, const QVariant &value, QSettings &store) {
  store.setValue(key, value);
  emit notifier().changed(key);
}

void onChange(const QObject *receiver, std::function<void(const QString &key)> slot) {
  // Made by the first listener, on its thread, and never destroyed.
  static const bool watching = [] {
    auto *watch = new SettingsFileWatch(defaults());
    QObject::connect(watch, &SettingsFileWatch::reloaded, &notifier(), [] { emit notifier().changed(QString()); });
    return true;
  }();
  (void)watching;
  QObject::connect(&notifier(), &SettingsNotifier::changed, receiver, std::move(slot));
}

QByteArray encodeColor(const QColor &color) {
  QByteArray data(COLOR_MAGIC, COLOR_MAGIC_SIZE);
  QDataStream stream(&data, QIODevice::Append);
  stream.setVersion(QDataStream::Qt_6_4);
  const QRgba64 rgba = color.rgba64();
  stream << quint16(rgba.red()) << quint16(rgba.green()) << quint16(rgba.blue()) << quint16(rgba.alpha());
  return data;
}

std::optional<QColor> decodeColor(const QByteArray &data) {
  if (!data.startsWith(QByteArray(COLOR_MAGIC, COLOR_MAGIC_SIZE))) return std::nullopt;
  QDataStream stream(data.mid(COLOR_MAGIC_SIZE));
  stream.setVersion(QDataStream::Qt_6_4);
  quint16 red = 0, green = 0, blue = 0, alpha = 0;
  stream >> red >> green >> blue >> alpha;
  if (stream.status() != QDataStream::Ok || !stream.atEnd()) return std::nullopt;
  return QColor(QRgba64::fromRgba64(red, green, blue, alpha));
}

}  // namespace UserDefaults

#include "Settings.moc"
