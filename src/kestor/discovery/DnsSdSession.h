// The program's one connection to the Avahi daemon, on the main thread's event loop. Browsers
// join it; it creates their searches once the daemon answers, ends them when the daemon goes
// away, and reconnects.
#pragma once

#include <QString>
#include <vector>

#include <avahi-client/client.h>

#include "kestor/discovery/AvahiQtPoll.h"

class DnsSdBrowser;

class DnsSdSession {
public:
  static DnsSdSession &shared();

  void add(DnsSdBrowser *browser);
  void remove(DnsSdBrowser *browser);

  // Milliseconds between two attempts to reach the daemon.
  static constexpr int RETRY_MS = 10000;

private:
  DnsSdSession() = default;
  void connectClient();
  void changed(AvahiClient *client, AvahiClientState state);
  void unavailable(const QString &reason);
  static void clientCallback(AvahiClient *client, AvahiClientState state, void *userdata);

  AvahiQtPoll poll_;
  AvahiClient *client_ = nullptr;
  bool running_ = false;
  std::vector<DnsSdBrowser *> browsers_;
};
