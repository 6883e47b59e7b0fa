// The own service published through the Avahi daemon, on a client connection of its own driven by
// the main thread's event loop. Published again when the daemon comes back after a restart, until
// stopped.
#pragma once

#include <avahi-client/client.h>
#include <avahi-client/publish.h>

#include "kestor/discovery/AvahiQtPoll.h"
#include "kestor/discovery/PublishedService.h"

class DnsSdPublishedService : public PublishedService {
public:
  using PublishedService::PublishedService;
  ~DnsSdPublishedService() override;

  void publish() override;
  void stop() override;

  // Avahi's codes for a port it cannot carry and for a name taken on the network.
  static constexpr qint64 INVALID_PORT = -12;
  static constexpr qint64 COLLISION = -8;

private:
  void connectClient();
  void clientChanged(AvahiClient *client, AvahiClientState state);
  void addService(AvahiClient *client);
  void groupChanged(AvahiEntryGroup *group, AvahiEntryGroupState state);
  void failed(qint64 code);

  AvahiQtPoll poll_;
  AvahiClient *client_ = nullptr;
  AvahiEntryGroup *group_ = nullptr;
  bool wanted_ = false;
  bool announced_ = false;
};
