// Writes settings into the program's own settings file, with the names the program itself uses,
// so that scripts and tests can prepare a configuration (XDG_CONFIG_HOME picks the folder).
//
//   kestor-settings servers HOST:PORT...   the servers restored at launch, in this order
//   kestor-settings set KEY VALUE          one text value
#include "app/ApplicationIdentity.h"
#include "core/Globals.h"
#include "core/SettingKeys.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

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
  std::fputs("usage: kestor-settings servers HOST:PORT...\n       kestor-settings set KEY VALUE\n", stderr);
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

}  // namespace

int main(int argc, char **argv) {
  ApplicationIdentity::apply();
  QCoreApplication application(argc, argv);
  QStringList arguments = application.arguments().mid(1);
  const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
  if (command == QStringLiteral("servers")) {
    const std::optional<QVariantList> servers = parseServers(arguments);
    if (!servers) return 2;
    defaults().setValue(Setting::SERVERS.name(), *servers);
  } else if (command == QStringLiteral("set") && arguments.size() == 2) {
    defaults().setValue(arguments[0], arguments[1]);
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
