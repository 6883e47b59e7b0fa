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

namespace {

QIcon loadNamedImage(const QString &name) {
  static const QHash<QString, QString> themeNames{{QStringLiteral("Folder"), QStringLiteral("folder")},
                                                  {QStringLiteral("NSBonjour"), QStringLiteral("network-workgroup")},
                                                  {QStringLiteral("NSNetwork"), QStringLiteral("network-server")}};
  const QString themeName = themeNames.value(name);
  if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
  const QString path = QStringLiteral(":/images/%1.svg").arg(name);
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace

// One icon per name, kept: a new icon for every cell the outline paints would render its SVG
// again and fill the pixmap cache with copies at every property update.
QIcon namedImage(const QString &name) {
  loadImageResources();
  static QHash<QString, QIcon> icons;
  const auto found = icons.constFind(name);
  return found != icons.constEnd() ? *found : *icons.insert(name, loadNamedImage(name));
}
