#include "ResidentMemory.h"

#include <fstream>
#include <string>
#include <unistd.h>

namespace test_support {

int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * sysconf(_SC_PAGESIZE);
}

int64_t peakResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string key; status >> key;) {
    if (key == "VmHWM:") {
      int64_t kilobytes = 0;
      return status >> kilobytes ? kilobytes * 1024 : 0;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

bool resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  return static_cast<bool>(clear << "5" << std::flush);
}

}  // namespace test_support
