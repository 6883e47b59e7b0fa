// Makes sure the program ends soon after it was asked to, whatever still runs: once armed, it
// ends the process after the grace period unless the process ended before.
#pragma once

#include <chrono>

namespace ShutdownWatchdog {

// Starts the countdown on a thread of its own; later calls do nothing.
void arm(std::chrono::milliseconds grace);

// Ends the process at once with status 0, output flushed, without waiting for other threads.
[[noreturn]] void exitNow();

}  // namespace ShutdownWatchdog
