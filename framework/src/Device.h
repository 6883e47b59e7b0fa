// The opaque device record of kestor.h: one bus endpoint (a server connection or a driver of the
// in-process server), passed to the client's callbacks and used inside the library to tell which
// endpoint owns a bus device.
#pragma once

#include <kestor.h>

#include <string>

struct kestor_device {
  kestor_device() = default;
  kestor_device(const kestor_device &) = delete;
  kestor_device &operator=(const kestor_device &) = delete;
  virtual ~kestor_device() = default;
  // Sends one element to the endpoint; false when it is gone (or, for a bare endpoint, always).
  virtual bool send(const std::string &xml) {
    (void)xml;
    return false;
  }
};
