#include "core/Globals.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// The folder of the running program, read from the process itself: the bundle is first asked for
// before the application object, which would otherwise tell it, exists.
QString programFolder() {
  const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  return program.isEmpty() ? QString() : QFileInfo(program).absolutePath();
}

// The installed layout puts resources in <prefix>/share/<program>; a build tree keeps them in
// its own share folder.
QString findResourcePath() {
  QStringList candidates;
  if (const QString folder = programFolder(); !folder.isEmpty())
    candidates << QDir(folder).filePath(QStringLiteral("../share/" KESTOR_SHARE_NAME));
  candidates << QStringLiteral(KESTOR_BUILD_SHARE_DIR);
  for (const QString &candidate : candidates) {
    if (QFileInfo(candidate).isDir()) return QDir(candidate).canonicalPath();
  }
  return {};
}

}  // namespace

QString lastIdentifierPiece(const QString &identifier) { return identifier.split(u'.').last(); }

QSettings &defaults() {
  thread_local QSettings store;
  return store;
}

const Bundle &mainBundle() {
  static const Bundle bundle{QStringLiteral(KESTOR_APP_ID), QStringLiteral(KESTOR_APP_VERSION),
                             QStringLiteral(KESTOR_APP_BUILD), findResourcePath()};
  return bundle;
}

const QString &appName() {
  static const QString name = lastIdentifierPiece(mainBundle().identifier);
  return name;
}

const QString &appVersion() { return mainBundle().shortVersion; }
const QString &appBuild() { return mainBundle().version; }

// The platform's light-mode system green, blue and red.
QColor &markerColor() {
  static QColor color(52, 199, 89);
  return color;
}

QColor &graphColor1() {
  static QColor color(0, 122, 255);
  return color;
}

QColor &graphColor2() {
  static QColor color(255, 59, 48);
  return color;
}
