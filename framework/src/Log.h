// The library's log: lines go to kestor_log_message_handler when their level is within the level
// set by kestor_set_log_level (0 errors, 1 connection notices, 2 traffic, 3 traces).
#pragma once

#include <cstdint>
#include <string_view>

namespace kestor {

enum LogLevel : uint32_t { LOG_ERROR = 0, LOG_NOTICE = 1, LOG_TRAFFIC = 2, LOG_TRACE = 3 };

// True when a line of this level would be written; lets callers skip building it.
bool logs(uint32_t level);

// Writes the text, one handler call per line (no lock is held while the handler runs).
void logLine(uint32_t level, std::string_view text);

// Silences the log from kestor_stop until the next kestor_start.
void setLogMuted(bool muted);

}  // namespace kestor
