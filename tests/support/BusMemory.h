// Resident memory around one server's life as the bus library sees it: a child process serves a
// script on loopback, this process connects with a client whose callbacks do nothing, takes in
// everything, and the server ends the connection. Shared by the memory test and its benchmark.
#pragma once

#include <cstddef>
#include <string>

namespace test_support {

enum class BusScript {
  LargeBlob,       // one BLOB of `amount` bytes, then its device deleted, then the end
  ManyProperties,  // `amount` distinct number properties defined, then the end
};

struct BusMemoryFigures {
  std::string failure;  // empty when the script ran to its end
  double beforeMB = 0;  // resident MiB before connecting
  double peakMB = 0;    // highest resident MiB until the connection had ended
  double afterMB = 0;   // resident MiB once it had ended
  double seconds = 0;   // from connecting to the end
  std::string summary() const;
};

// Runs the script against the library (started and with a client attached by this call).
BusMemoryFigures runBusScript(BusScript script, size_t amount);

}  // namespace test_support
