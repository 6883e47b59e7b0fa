#include "ResidentMemory.h"

#include <fstream>
#include <unistd.h>

qint64 residentBytes() {
  std::ifstream statm("/proc/self/statm");
  qint64 size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * sysconf(_SC_PAGESIZE);
}
