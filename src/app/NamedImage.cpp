#include "app/NamedImage.h"

#include <QFile>
#include <QHash>

void loadImageResources() {
  static const bool loaded = [] {
    Q_INIT_RESOURCE(app);
    return true;
  }();
  (void)loaded;
}

QIcon namedImage(const QString &name) {
  loadImageResources();
  static const QHash<QString, QString> themeNames{{QStringLiteral("Folder"), QStringLiteral("folder")},
                                                  {QStringLiteral("NSBonjour"), QStringLiteral("network-workgroup")},
                                                  {QStringLiteral("NSNetwork"), QStringLiteral("network-server")}};
  const QString themeName = themeNames.value(name);
  if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
  const QString path = QStringLiteral(":/images/%1.svg").arg(name);
  return QFile::exists(path) ? QIcon(path) : QIcon();
}
