// A bus server as the user types it (host and port, kept as typed) and the state of its
// connection: the one value the server list, the "servers" setting and the client object share.
#pragma once

#include <QString>

#include <kestor.h>

struct TypedServer {
  enum class State { Unconnected, Connecting, Connected };

  QString host;
  qint64 port = 0;
  State state = State::Unconnected;
  kestor_server_entry *entry = nullptr;  // the connection's handle while connected

  // Host and port alike: the same server, whatever its connection.
  bool sameAddress(const TypedServer &other) const { return host == other.host && port == other.port; }
  bool operator==(const TypedServer &) const = default;
};
