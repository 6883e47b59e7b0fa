#include "widgets/ResourceIcon.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QStyle>

QIcon resourceIcon(const QString &name) {
  // One icon a resource, shared by every button that shows it (each widget asks for its own).
  static QHash<QString, QIcon> loaded;
  if (const auto found = loaded.constFind(name); found != loaded.constEnd()) return *found;
  const QString path = QStringLiteral(":/images/") + name + QStringLiteral(".svg");
  if (QFile::exists(path)) {
    return *loaded.insert(name, QIcon(path));
  }
  const QStyle::StandardPixmap fallback = name == QLatin1String("Folder") ? QStyle::SP_DirIcon
                                          : name == QLatin1String("Pin")  ? QStyle::SP_ArrowDown
                                                                          : QStyle::SP_DialogCloseButton;
  return QApplication::style()->standardIcon(fallback);
}
