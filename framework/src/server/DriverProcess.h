// Driver executables run as subprocesses in kestor_available_subprocesses (kestor_start_subprocess).
#pragma once

#include <kestor.h>

#include <optional>

namespace kestor {

// Ends a driver subprocess that kestor_start_subprocess started: end of its input, SIGTERM after
// 1 s, SIGKILL after 2 s more; reaped either way, and its entry freed. Nothing (nullopt) for an
// entry it did not start.
std::optional<kestor_result> stopDriverProcess(kestor_subprocess_entry *entry);

}  // namespace kestor
