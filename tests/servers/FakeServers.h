// Stand-in connection calls of the library for the server-list tests: servers on the ports
// marked as answering connect, silent ones time out, every other port fails; every call is
// recorded.
#pragma once

#include <kestor.h>

#include <QString>
#include <QStringList>

class KESTOR;

namespace fake_servers {

// Installs the stand-ins on the client object and forgets earlier calls.
void install(KESTOR &kestor);
// Marks a port as answering.
void answerOn(int32_t port);
// Marks a port as silent: a connection there waits SILENT_WAIT_MS, then fails as timed out.
void silentOn(int32_t port);
constexpr unsigned long SILENT_WAIT_MS = 1500;
// "host:port" of every connect attempt and of every disconnection, in order.
QStringList connects();
QStringList disconnects();

}  // namespace fake_servers
