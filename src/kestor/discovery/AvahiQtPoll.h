// Runs the Avahi client library's watches and time-outs on the Qt event loop of the thread that
// creates it, so every Avahi callback arrives on that thread.
#pragma once

#include <avahi-common/watch.h>

class AvahiQtPoll {
public:
  AvahiQtPoll();
  AvahiQtPoll(const AvahiQtPoll &) = delete;
  AvahiQtPoll &operator=(const AvahiQtPoll &) = delete;

  const AvahiPoll *poll() const { return &api_; }

private:
  AvahiPoll api_;
};
