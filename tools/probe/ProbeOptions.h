// Command line of kestor-probe.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct ProbeChange {
  std::string device, property, item, value;
};

struct ProbeOptions {
  std::string host;
  int port = 0;
  std::vector<ProbeChange> changes;                        // --set DEVICE.PROPERTY.ITEM=VALUE
  std::vector<std::pair<std::string, std::string>> blobs;  // --blobs DEVICE.PROPERTY
  double seconds = 0;                                      // --seconds N, 0 = until interrupted
  unsigned logLevel = 0;                                   // --log-level N
};

// The options, or nothing with the reason in `error`. Device names may hold dots: a change is
// split at its last two dots before the "=", a BLOB property at its last dot.
std::optional<ProbeOptions> parseProbeOptions(const std::vector<std::string> &arguments, std::string &error);

extern const char PROBE_USAGE[];
