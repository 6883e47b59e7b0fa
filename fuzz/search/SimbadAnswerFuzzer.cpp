// Feeds arbitrary bytes to the SIMBAD answer parser at every log level; every item it makes must
// carry a name.
#include "skymap/SimbadAnswer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  for (unsigned level = 0; level <= 2; ++level) {
    const SimbadAnswer answer = SimbadAnswer::parse(bytes, level);
    for (const MapEntryPtr &entry : answer.entries)
      if (!entry || !entry->name) std::abort();
  }
  return 0;
}
