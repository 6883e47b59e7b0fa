// The saved form of the message log: UTF-8 text, the entries joined by "\n", no final newline.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

QByteArray logFileContents(const QStringList &entries);

// Writes the log to the file atomically: the file is either replaced as a whole or left as it
// was. On failure returns false and describes the failure in errorString.
bool writeLogFile(const QString &path, const QStringList &entries, QString &errorString);
