#include "app/LogFile.h"

#include <QSaveFile>

QByteArray logFileContents(const QStringList &entries) { return entries.join(QLatin1Char('\n')).toUtf8(); }

bool writeLogFile(const QString &path, const QStringList &entries, QString &errorString) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    errorString = file.errorString();
    return false;
  }
  const QByteArray contents = logFileContents(entries);
  if (file.write(contents) != contents.size() || !file.commit()) {
    errorString = file.errorString();
    return false;
  }
  return true;
}
