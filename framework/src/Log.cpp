#include "Log.h"

#include <kestor.h>

#include <algorithm>
#include <atomic>
#include <string>

void (*kestor_log_message_handler)(const char *line) = nullptr;

namespace kestor {

namespace {
std::atomic<uint32_t> currentLevel{0};
std::atomic<bool> muted{false};
}  // namespace

bool logs(uint32_t level) { return level <= currentLevel.load(std::memory_order_relaxed) && !muted.load(); }

void logLine(uint32_t level, std::string_view text) {
  if (!logs(level)) return;
  auto *handler = kestor_log_message_handler;
  if (!handler) return;
  // One line a call: text of several lines (the XML of a change sent) is handed on line by line,
  // without the blank ones.
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find('\n', start), text.size());
    const size_t next = end + 1;
    if (end > start && text[end - 1] == '\r') --end;
    if (end > start || text.empty()) handler(std::string(text.substr(start, end - start)).c_str());
    start = next;
  }
}

void setLogMuted(bool value) { muted.store(value); }

}  // namespace kestor

kestor_result kestor_set_log_level(uint32_t level) {
  kestor::currentLevel.store(level);
  return KESTOR_OK;
}

uint32_t kestor_get_log_level(void) { return kestor::currentLevel.load(); }
