#include "widgets/ResourceIcon.h"

#include <QApplication>
#include <QFile>
#include <QStyle>

QIcon resourceIcon(const QString &name) {
  const QString path = QStringLiteral(":/images/") + name + QStringLiteral(".svg");
  if (QFile::exists(path)) {
    return QIcon(path);
  }
  const QStyle::StandardPixmap fallback = name == QLatin1String("Folder") ? QStyle::SP_DirIcon
                                          : name == QLatin1String("Pin")  ? QStyle::SP_ArrowDown
                                                                          : QStyle::SP_DialogCloseButton;
  return QApplication::style()->standardIcon(fallback);
}
