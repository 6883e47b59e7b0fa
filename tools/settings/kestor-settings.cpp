// Writes settings into the program's own settings file, with the names the program itself uses,
// so that scripts and tests can prepare a configuration (XDG_CONFIG_HOME picks the folder).
//
//   kestor-settings add-servers HOST:PORT...   servers restored at launch, appended to the user's
//                                              list when not in it yet
//   kestor-settings set KEY VALUE              one text value
//   kestor-settings set-color KEY COLOR        one colour ("#rrggbb", "#aarrggbb" or an SVG colour
//                                              name) in the form the program stores colours in
#include "app/ApplicationIdentity.h"
#include "app/SavedServers.h"
#include "core/Globals.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"

#include <QColor>
#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

// "host:port" with a port from 1 to 65535; the host may itself hold colons (IPv6).
std::optional<QVariantMap> parseServer(const QString &text) {
  const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
  if (colon <= 0) return std::nullopt;
  bool ok = false;
  const int port = text.mid(colon + 1).toInt(&ok);
  if (!ok || port < 1 || port > 65535) return std::nullopt;
  return QVariantMap{{QStringLiteral("host"), text.left(colon)}, {QStringLiteral("port"), port}};
}

int usage() {
  std::fputs(
      "usage: kestor-settings add-servers HOST:PORT...\n       kestor-settings set KEY VALUE\n"
      "       kestor-settings set-color KEY COLOR\n",
      stderr);
  return 2;
}

// The list of servers as the server list stores it, or nullopt after reporting a bad argument.
std::optional<QVariantList> parseServers(const QStringList &arguments) {
  QVariantList servers;
  for (const QString &argument : arguments) {
    const std::optional<QVariantMap> server = parseServer(argument);
    if (!server) {
      std::fprintf(stderr, "kestor-settings: not a HOST:PORT: %s\n", qPrintable(argument));
      return std::nullopt;
    }
    servers.append(*server);
  }
  return servers;
}

// Appends the servers the stored list lacks, leaving every stored entry as it is. False, with
// nothing changed, when the stored value is no list the program could read.
bool addServers(const QVariantList &servers) {
  const QString key = Setting::SERVERS.name();
  const QVariant value = defaults().value(key);
  QVariantList stored;
  if (value.typeId() == QMetaType::QVariantList) {
    stored = value.toList();
  } else if (value.typeId() == QMetaType::QVariantMap) {
    stored = {value};  // the settings file gives back a list of one as its single entry
  } else if (value.isValid()) {
    std::fprintf(stderr, "kestor-settings: the stored servers are not a list; left as they are\n");
    return false;
  }
  std::vector<TypedServer> known = readSavedServers(stored, [](const QString &) {});
  for (const QVariant &server : servers) {
    const TypedServer added = readSavedServers(server, [](const QString &) {}).front();
    if (std::find(known.begin(), known.end(), added) != known.end()) continue;
    known.push_back(added);
    stored.append(server);
  }
  defaults().setValue(key, stored);
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  ApplicationIdentity::apply();
  QCoreApplication application(argc, argv);
  QStringList arguments = application.arguments().mid(1);
  const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
  if (command == QStringLiteral("add-servers") && !arguments.isEmpty()) {
    const std::optional<QVariantList> servers = parseServers(arguments);
    if (!servers) return 2;
    if (!addServers(*servers)) return 1;
  } else if (command == QStringLiteral("set") && arguments.size() == 2) {
    defaults().setValue(arguments[0], arguments[1]);
  } else if (command == QStringLiteral("set-color") && arguments.size() == 2) {
    const QColor color = QColor::fromString(arguments[1]);
    if (!color.isValid()) {
      std::fprintf(stderr, "kestor-settings: not a colour: %s\n", qPrintable(arguments[1]));
      return 2;
    }
    UserDefaults::setColor(arguments[0], color);
  } else {
    return usage();
  }
  defaults().sync();
  if (defaults().status() != QSettings::NoError) {
    std::fprintf(stderr, "kestor-settings: cannot write %s\n", qPrintable(defaults().fileName()));
    return 1;
  }
  std::printf("%s\n", qPrintable(defaults().fileName()));
  return 0;
}
