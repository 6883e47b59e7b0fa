#include "core/Console.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex &consoleMutex() {
  static std::mutex *mutex = new std::mutex;
  return *mutex;
}

std::function<void(const QByteArray &)> &consoleSink() {
  static auto *sink = new std::function<void(const QByteArray &)>;
  return *sink;
}

}  // namespace

void consoleLine(const QByteArray &line) {
  std::lock_guard guard(consoleMutex());
  if (consoleSink()) {
    consoleSink()(line);
    return;
  }
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
  std::fputc('\n', stderr);
}

void setConsoleSink(std::function<void(const QByteArray &line)> sink) {
  std::lock_guard guard(consoleMutex());
  consoleSink() = std::move(sink);
}
