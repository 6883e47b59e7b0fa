#include "kestor/discovery/DnsSdSession.h"

#include <QTimer>

#include <avahi-common/error.h>

#include <algorithm>

#include "kestor/discovery/DnsSdBrowser.h"

DnsSdSession &DnsSdSession::shared() {
  static DnsSdSession *session = new DnsSdSession;  // lives as long as the program
  return *session;
}

void DnsSdSession::add(DnsSdBrowser *browser) {
  browsers_.push_back(browser);
  if (client_ == nullptr) {
    connectClient();
  } else if (running_) {
    browser->begin(client_);
  }
}

void DnsSdSession::remove(DnsSdBrowser *browser) {
  browsers_.erase(std::remove(browsers_.begin(), browsers_.end(), browser), browsers_.end());
}

void DnsSdSession::connectClient() {
  int error = 0;
  AvahiClient *created =
      avahi_client_new(poll_.poll(), AVAHI_CLIENT_NO_FAIL, &DnsSdSession::clientCallback, this, &error);
  if (created == nullptr) {
    unavailable(QString::fromUtf8(avahi_strerror(error)));
    QTimer::singleShot(RETRY_MS, [this] {
      if (client_ == nullptr) connectClient();
    });
    return;
  }
  client_ = created;
}

void DnsSdSession::clientCallback(AvahiClient *client, AvahiClientState state, void *userdata) {
  static_cast<DnsSdSession *>(userdata)->changed(client, state);
}

void DnsSdSession::changed(AvahiClient *current, AvahiClientState state) {
  switch (state) {
  case AVAHI_CLIENT_S_RUNNING:
    if (running_) return;
    running_ = true;
    for (DnsSdBrowser *browser : std::vector(browsers_)) browser->begin(current);
    return;
  case AVAHI_CLIENT_CONNECTING:
    // No daemon (yet, or any more): searches end, and start again once it is running.
    unavailable(QStringLiteral("the DNS-SD daemon is not running"));
    if (running_) {
      running_ = false;
      for (DnsSdBrowser *browser : std::vector(browsers_)) browser->end();
    }
    return;
  case AVAHI_CLIENT_FAILURE: {
    unavailable(QString::fromUtf8(avahi_strerror(avahi_client_errno(current))));
    running_ = false;
    for (DnsSdBrowser *browser : std::vector(browsers_)) browser->end();
    // Free the dead client from the event loop, not inside its own callback, then reconnect.
    QTimer::singleShot(0, [this, current] {
      avahi_client_free(current);
      if (client_ == current) client_ = nullptr;
      connectClient();
    });
    return;
  }
  default: return;
  }
}

void DnsSdSession::unavailable(const QString &reason) {
  for (DnsSdBrowser *browser : std::vector(browsers_)) browser->unavailable(reason);
}
