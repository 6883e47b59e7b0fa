#include "app/ShutdownWatchdog.h"

#include <atomic>
#include <cstdio>
#include <thread>

#include <unistd.h>

void ShutdownWatchdog::arm(std::chrono::milliseconds grace) {
  static std::atomic_bool armed = false;
  if (armed.exchange(true)) return;
  std::thread([grace] {
    std::this_thread::sleep_for(grace);
    std::fputs("Shut-down took too long; ending now\n", stderr);
    std::fflush(nullptr);
    _exit(0);
  }).detach();
}
