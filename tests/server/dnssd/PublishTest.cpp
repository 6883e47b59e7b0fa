// Publishing the program's own service through a real DNS-SD daemon (run in a private namespace
// by run-in-namespace.sh): the service appears once the server listens, with the port the server
// listens on, and goes away when the server stops.
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "EventLoopWait.h"
#include "core/Globals.h"
#include "kestor/KESTOR.h"

namespace {

// avahi-browse's parsable lines for the service type, resolved ("=" lines).
QStringList browse(const QString &type) {
  QProcess process;
  process.start(QStringLiteral("avahi-browse"), {QStringLiteral("-rpt"), type});
  process.waitForFinished(10000);
  QStringList resolved;
  for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n'))
    if (line.startsWith(u'=')) resolved.append(line);
  return resolved;
}

}  // namespace

TEST(Publishing, TheServiceCarriesTheRealPortUntilTheServerStops) {
  QTemporaryDir scratch;
  qputenv("HOME", scratch.path().toUtf8());
  qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
  defaults().setValue(QStringLiteral("kestorServiceName"), QStringLiteral("Panel Under Test"));
  KESTOR kestor(nullptr, nullptr);
  kestor.start(true, false);
  ASSERT_TRUE(waitUntil(
      [&] {
        return !kestor.messages.filter(QStringLiteral("KESTOR Service Panel Under Test is ready to publish")).isEmpty();
      },
      10000))
      << kestor.messages.join(u'\n').toStdString();
  const int32_t port = kestor_server_tcp_port;
  ASSERT_GT(port, 0);
  QStringList found;
  // The daemon probes the name for about a second before it answers for it.
  ASSERT_TRUE(waitUntil(
      [&] {
        found = browse(QStringLiteral("_kestor._tcp"));
        return !found.isEmpty();
      },
      15000));
  ASSERT_EQ(found.size(), 1) << found.join(u'\n').toStdString();
  const QStringList fields = found[0].split(u';');
  ASSERT_GE(fields.size(), 9);
  EXPECT_EQ(fields[3], QStringLiteral("Panel\\032Under\\032Test"));
  EXPECT_EQ(fields[8].toInt(), port);

  kestor_stop();
  EXPECT_TRUE(waitUntil([&] { return !kestor.kestorService; }, 5000));
  EXPECT_TRUE(waitUntil([&] { return browse(QStringLiteral("_kestor._tcp")).isEmpty(); }, 10000));
  defaults().clear();
}
