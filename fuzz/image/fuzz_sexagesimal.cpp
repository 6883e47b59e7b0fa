// Fuzzes the sexagesimal parser on any text, and the formatting of what it reads.

#include "core/Sexagesimal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
  formatSexagesimal(parseSexagesimal(text));
  return 0;
}
