// Typed readers of the settings store: each returns the given default when nothing is stored
// under the key or when the stored value has no reading of the asked type.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QVariant>
#include <optional>

#include "core/Globals.h"

class QSettings;

namespace UserDefaults {

qint64 integerForKey(const QString &key, qint64 defaultValue, const QSettings &store = defaults());
bool boolForKey(const QString &key, bool defaultValue, const QSettings &store = defaults());
double doubleForKey(const QString &key, double defaultValue, const QSettings &store = defaults());
QColor colorForKey(const QString &key, const QColor &defaultValue, const QSettings &store = defaults());
// Stores a colour in the archived form that colorForKey reads.
void setColor(const QString &key, const QColor &color, QSettings &store = defaults());

// The readings of one stored value; nullopt when it has no reading of that type.
std::optional<qint64> integerReading(const QVariant &value);
std::optional<bool> boolReading(const QVariant &value);
std::optional<double> doubleReading(const QVariant &value);

// The archived form of a colour and back; decodeColor gives nullopt for anything else.
QByteArray encodeColor(const QColor &color);
std::optional<QColor> decodeColor(const QByteArray &data);

}  // namespace UserDefaults
