#include "kestor/discovery/DnsSdPublishedService.h"

#include <QTimer>

#include <avahi-common/error.h>

DnsSdPublishedService::~DnsSdPublishedService() { stop(); }

void DnsSdPublishedService::publish() {
  if (port < 1 || port > 65535) return failed(INVALID_PORT);
  wanted_ = true;
  if (client_ == nullptr) connectClient();
}

void DnsSdPublishedService::stop() {
  wanted_ = false;
  if (group_ != nullptr) avahi_entry_group_free(group_);
  group_ = nullptr;
  if (client_ != nullptr) avahi_client_free(client_);
  client_ = nullptr;
}

void DnsSdPublishedService::failed(qint64 code) {
  if (didNotPublish) didNotPublish(*this, {{QStringLiteral("errorCode"), code}});
}

void DnsSdPublishedService::connectClient() {
  int error = 0;
  client_ = avahi_client_new(
      poll_.poll(), AVAHI_CLIENT_NO_FAIL,
      [](AvahiClient *c, AvahiClientState state, void *self) {
        static_cast<DnsSdPublishedService *>(self)->clientChanged(c, state);
      },
      this, &error);
  if (client_ == nullptr) failed(error);
}

void DnsSdPublishedService::clientChanged(AvahiClient *current, AvahiClientState state) {
  if (state == AVAHI_CLIENT_S_RUNNING && group_ == nullptr && wanted_) {
    addService(current);
  } else if (state == AVAHI_CLIENT_FAILURE) {
    // The daemon went away: its groups are gone. Reconnect from the event loop (not inside the
    // client's own callback) and publish again once it runs.
    group_ = nullptr;
    QTimer::singleShot(0, [this, current] {
      if (client_ != current) return;
      avahi_client_free(current);
      client_ = nullptr;
      if (wanted_) connectClient();
    });
  }
}

void DnsSdPublishedService::addService(AvahiClient *current) {
  AvahiEntryGroup *created = avahi_entry_group_new(
      current,
      [](AvahiEntryGroup *g, AvahiEntryGroupState state, void *self) {
        static_cast<DnsSdPublishedService *>(self)->groupChanged(g, state);
      },
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
    wanted_ = false;
    return failed(result);
  }
  group_ = created;
}

void DnsSdPublishedService::groupChanged(AvahiEntryGroup *changed, AvahiEntryGroupState state) {
  switch (state) {
  case AVAHI_ENTRY_GROUP_REGISTERING:
    if (!announced_ && willPublish) willPublish(*this);
    announced_ = true;
    return;
  case AVAHI_ENTRY_GROUP_COLLISION:
    wanted_ = false;  // no silent rename: the name is what discovery uses to skip its own service
    return failed(COLLISION);
  case AVAHI_ENTRY_GROUP_FAILURE:
    wanted_ = false;
    return failed(avahi_client_errno(avahi_entry_group_get_client(changed)));
  default: return;
  }
}
