#include "image/PixelBuffers.h"

#include <map>
#include <mutex>
#include <new>

namespace {

struct SameSize {
  int inUse = 0;
  std::unique_ptr<uint8_t[]> waiting;  // at most one: a camera alternates between two frames
};

std::mutex mutex;
std::map<int64_t, SameSize> sizes;

void release(int64_t bytes, uint8_t *buffer) {
  std::unique_ptr<uint8_t[]> freed(buffer);  // freed outside the lock when not kept
  std::unique_ptr<uint8_t[]> spare;          // likewise the waiting one, with the last in use
  std::lock_guard guard(mutex);
  SameSize &same = sizes[bytes];
  if (--same.inUse > 0) {
    if (!same.waiting) same.waiting = std::move(freed);
    return;
  }
  spare = std::move(same.waiting);
  sizes.erase(bytes);
}

}  // namespace

namespace PixelBuffers {

std::shared_ptr<uint8_t[]> take(int64_t bytes) {
  if (bytes < 0) return nullptr;
  std::unique_ptr<uint8_t[]> buffer;
  {
    std::lock_guard guard(mutex);
    SameSize &same = sizes[bytes];
    buffer = std::move(same.waiting);
    ++same.inUse;
  }
  if (!buffer) buffer.reset(new (std::nothrow) uint8_t[size_t(bytes)]);
  if (!buffer) {
    release(bytes, nullptr);
    return nullptr;
  }
  return {buffer.release(), [bytes](uint8_t *released) { release(bytes, released); }};
}

}  // namespace PixelBuffers
