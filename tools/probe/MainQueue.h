// The probe's main thread as the bus library's sync executor: library threads hand it their
// "apply and call back" steps and wait until it has run them, so callbacks and record reads all
// happen on the main thread.
#pragma once

#include <chrono>

namespace main_queue {

// Installs the executor; call on the main thread before connecting.
void install();

// Runs queued steps on the calling (main) thread until the deadline or until stop() is called.
void runUntil(std::chrono::steady_clock::time_point deadline);

// Ends runUntil early; safe from a signal handler.
void stop();

}  // namespace main_queue
