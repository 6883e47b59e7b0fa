// The opaque device record of kestor.h: one bus endpoint (a server connection), passed to the
// client's callbacks and used inside the library to tell which connection owns a bus device.
#pragma once

#include <kestor.h>

struct kestor_device {
  kestor_device() = default;
  kestor_device(const kestor_device &) = delete;
  kestor_device &operator=(const kestor_device &) = delete;
  virtual ~kestor_device() = default;
};
