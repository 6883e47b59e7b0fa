#include "Log.h"

#include <kestor.h>

#include <atomic>
#include <string>

void (*kestor_log_message_handler)(const char *line) = nullptr;

namespace kestor {

namespace {
std::atomic<uint32_t> currentLevel{0};
std::atomic<bool> muted{false};
}  // namespace

bool logs(uint32_t level) { return level <= currentLevel.load(std::memory_order_relaxed) && !muted.load(); }

void logLine(uint32_t level, std::string_view line) {
  if (!logs(level)) return;
  auto *handler = kestor_log_message_handler;
  if (!handler) return;
  const std::string text(line);
  handler(text.c_str());
}

void setLogMuted(bool value) { muted.store(value); }

}  // namespace kestor

kestor_result kestor_set_log_level(uint32_t level) {
  kestor::currentLevel.store(level);
  return KESTOR_OK;
}

uint32_t kestor_get_log_level(void) { return kestor::currentLevel.load(); }
