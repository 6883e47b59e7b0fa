// Texts shared by discovery and publishing: the program's own service name, the "KESTOR Service"
// log lines and the error dictionaries as they are logged.
#pragma once

#include <QMap>
#include <QString>

// The setting "kestorServiceName" when it holds a text, else the program name: the name the
// program publishes its server under and the one discovery skips.
QString ownServiceName();
// "KESTOR Service " + name + " " + what.
QString serviceText(const QString &name, const QString &what);
// ["key": number, ...]
QString errorText(const QMap<QString, qint64> &errors);
