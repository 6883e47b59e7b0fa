#include "kestor/discovery/DnsSdPublishedService.h"

#include <QTimer>

#include <avahi-common/error.h>

DnsSdPublishedService::~DnsSdPublishedService() { stop(); }

void DnsSdPublishedService::publish() {
  if (port < 1 || port > 65535) return failed(INVALID_PORT);
  wanted = true;
  if (client == nullptr) connectClient();
}

void DnsSdPublishedService::stop() {
  wanted = false;
  if (group != nullptr) avahi_entry_group_free(group);
  group = nullptr;
  if (client != nullptr) avahi_client_free(client);
  client = nullptr;
}

void DnsSdPublishedService::failed(qint64 code) {
  if (didNotPublish) didNotPublish(*this, {{QStringLiteral("errorCode"), code}});
}

void DnsSdPublishedService::connectClient() {
  int error = 0;
  client = avahi_client_new(
      poll.poll(), AVAHI_CLIENT_NO_FAIL,
      [](AvahiClient *c, AvahiClientState state, void *self) { static_cast<DnsSdPublishedService *>(self)->clientChanged(c, state); },
      this, &error);
  if (client == nullptr) failed(error);
}

void DnsSdPublishedService::clientChanged(AvahiClient *current, AvahiClientState state) {
  if (state == AVAHI_CLIENT_S_RUNNING && group == nullptr && wanted) {
    addService(current);
  } else if (state == AVAHI_CLIENT_FAILURE) {
    // The daemon went away: its groups are gone. Reconnect from the event loop (not inside the
    // client's own callback) and publish again once it runs.
    group = nullptr;
    QTimer::singleShot(0, [this, current] {
      if (client != current) return;
      avahi_client_free(current);
      client = nullptr;
      if (wanted) connectClient();
    });
  }
}

void DnsSdPublishedService::addService(AvahiClient *current) {
  AvahiEntryGroup *created = avahi_entry_group_new(
      current,
      [](AvahiEntryGroup *g, AvahiEntryGroupState state, void *self) { static_cast<DnsSdPublishedService *>(self)->groupChanged(g, state); },
      this);
  if (created == nullptr) return failed(avahi_client_errno(current));
  const QByteArray nameText = name.toUtf8();
  const QByteArray typeText = type.toUtf8();
  int result = avahi_entry_group_add_service(created, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                             nameText.constData(), typeText.constData(), nullptr, nullptr,
                                             static_cast<uint16_t>(port), nullptr);
  if (result >= 0) result = avahi_entry_group_commit(created);
  if (result < 0) {
    avahi_entry_group_free(created);
    wanted = false;
    return failed(result);
  }
  group = created;
}

void DnsSdPublishedService::groupChanged(AvahiEntryGroup *changed, AvahiEntryGroupState state) {
  switch (state) {
  case AVAHI_ENTRY_GROUP_REGISTERING:
    if (!announced && willPublish) willPublish(*this);
    announced = true;
    return;
  case AVAHI_ENTRY_GROUP_COLLISION:
    wanted = false;  // no silent rename: the name is what discovery uses to skip its own service
    return failed(COLLISION);
  case AVAHI_ENTRY_GROUP_FAILURE:
    wanted = false;
    return failed(avahi_client_errno(avahi_entry_group_get_client(changed)));
  default:
    return;
  }
}
