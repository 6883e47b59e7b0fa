// Process-wide values made once on first use.
#pragma once

#include <QColor>
#include <QString>

class QSettings;

// What the program knows about itself: identity, versions and where its resources live.
struct Bundle {
  QString identifier;    // reverse-DNS application identifier
  QString shortVersion;  // the version shown to the user
  QString version;       // the build number
  QString resourcePath;  // folder of the installed resources; empty when none is found
};

// The settings store of the current thread (one QSettings per thread, all on the same file).
QSettings &defaults();
// The program's own bundle description.
const Bundle &mainBundle();
// The last "."-separated piece of the bundle identifier.
const QString &appName();
const QString &appVersion();
const QString &appBuild();

// The last "."-separated piece of an identifier: "one.two.Panel" gives "Panel".
QString lastIdentifierPiece(const QString &identifier);

// Live colours, replaced on the main thread at launch from the settings of the same names.
QColor &markerColor();
QColor &graphColor1();
QColor &graphColor2();
