// A bus server as the user names it: a host and a port.
#pragma once

#include <QString>

struct ServerAddress {
  QString host;
  qint64 port = 0;
  bool operator==(const ServerAddress &) const = default;
};
