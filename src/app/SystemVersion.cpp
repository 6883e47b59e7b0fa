#include "app/SystemVersion.h"

#include <QStringList>

#include <sys/utsname.h>

namespace {

// The decimal number at the start of the text, 0 when it starts with no digit.
int leadingNumber(const QString &text) {
  int value = 0;
  for (const QChar c : text) {
    if (!c.isDigit() || value > 100000) break;
    value = value * 10 + c.digitValue();
  }
  return value;
}

}  // namespace

SystemVersion parseSystemVersion(const QString &release) {
  const QStringList parts = release.split(QLatin1Char('.'));
  SystemVersion version;
  int *fields[] = {&version.major, &version.minor, &version.patch};
  for (qsizetype i = 0; i < 3 && i < parts.size(); ++i) *fields[i] = leadingNumber(parts[i]);
  return version;
}

SystemVersion operatingSystemVersion() {
  utsname name{};
  if (uname(&name) != 0) return {};
  return parseSystemVersion(QString::fromLocal8Bit(name.release));
}

bool usesStoredBackground(const SystemVersion &version) { return version.minor < 14; }
