// The in-process server's TCP listener (kestor_server_start).
#pragma once

namespace kestor {

// Makes a running kestor_server_start return and ends its clients; nothing when none runs.
void stopServer();

}  // namespace kestor
