#include "ScratchRun.h"

#include "app/ApplicationIdentity.h"

ScratchRun::ScratchRun() {
  if (!scratch.isValid()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
  qputenv("HOME", QFile::encodeName(scratch.path()));
  ApplicationIdentity::apply();
}
