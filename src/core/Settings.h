// Typed readers of the settings store: each returns the given default when nothing is stored
// under the key or when the stored value has no reading of the asked type.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

#include "core/Globals.h"
#include "core/SettingKeys.h"

class QObject;
class QSettings;

namespace UserDefaults {

qint64 integerForKey(const QString &key, qint64 defaultValue, const QSettings &store = defaults());
bool boolForKey(const QString &key, bool defaultValue, const QSettings &store = defaults());
double doubleForKey(const QString &key, double defaultValue, const QSettings &store = defaults());
QColor colorForKey(const QString &key, const QColor &defaultValue, const QSettings &store = defaults());
// The stored text, or the default when what is stored is not text.
QString textForKey(const QString &key, const QString &defaultValue, const QSettings &store = defaults());
// Stores a colour in the archived form that colorForKey reads.
void setColor(const QString &key, const QColor &color, QSettings &store = defaults());

// The settings of the table (core/SettingKeys.h), read as their type with their default.
bool read(const SettingKey<bool> &setting, const QSettings &store = defaults());
qint64 read(const SettingKey<qint64> &setting, const QSettings &store = defaults());
double read(const SettingKey<double> &setting, const QSettings &store = defaults());
QString read(const SettingKey<const char *> &setting, const QSettings &store = defaults());

// Stores the value and then tells every onChange listener.
void write(const QString &key, const QVariant &value, QSettings &store = defaults());
template <typename Key>
void write(const Key &setting, const QVariant &value, QSettings &store = defaults()) {
  write(setting.name(), value, store);
}
// Calls the slot with the key after every write, at once when written on the receiver's thread and
// queued to it otherwise, for as long as the receiver lives; and with an empty key once the
// settings file written by another process has been read again. The first call, on the main
// thread, starts watching the file.
void onChange(const QObject *receiver, std::function<void(const QString &key)> slot);

// The readings of one stored value; nullopt when it has no reading of that type.
std::optional<qint64> integerReading(const QVariant &value);
std::optional<bool> boolReading(const QVariant &value);
std::optional<double> doubleReading(const QVariant &value);

// The archived form of a colour and back; decodeColor gives nullopt for anything else.
QByteArray encodeColor(const QColor &color);
std::optional<QColor> decodeColor(const QByteArray &data);

}  // namespace UserDefaults
