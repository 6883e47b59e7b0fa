#include "image/PixelBuffers.h"

#include <sys/mman.h>

#include "core/Dispatch.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace {

// Buffers of at least this many bytes are mapped on their own, in whole huge pages aligned to
// them, and marked for the kernel's transparent huge pages: a fresh frame buffer then costs a few
// dozen page faults instead of thousands, and a pass through it as many TLB entries.
constexpr size_t HUGE_PAGE = size_t(2) << 20;
constexpr size_t PAGE = 4096;  // the smallest page a mapping may be made of

// How much is mapped for a buffer of `bytes`: whole huge pages.
size_t mappedLength(int64_t bytes) { return (size_t(bytes) + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE; }

// One buffer: mapped (mapped bytes > 0), or from the heap for small ones.
class Buffer {
public:
  Buffer() = default;
  explicit Buffer(int64_t bytes) {
    if (size_t(bytes) < HUGE_PAGE) {
      data_ = new (std::nothrow) uint8_t[size_t(bytes)];
      return;
    }
    // Mapped with a huge page to spare, then trimmed to an aligned run of whole huge pages.
    const size_t length = mappedLength(bytes);
    void *mapped = mmap(nullptr, length + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return;
    auto *start = static_cast<uint8_t *>(mapped);
    auto *aligned =
        reinterpret_cast<uint8_t *>((reinterpret_cast<uintptr_t>(start) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1));
    if (aligned > start) munmap(start, size_t(aligned - start));
    if (aligned + length < start + length + HUGE_PAGE)
      munmap(aligned + length, size_t(start + length + HUGE_PAGE - (aligned + length)));
    madvise(aligned, length, MADV_HUGEPAGE);  // advice: without it the buffer works the same
    data_ = aligned;
    mapped_ = length;
  }
  Buffer(Buffer &&other) noexcept
      : data_(std::exchange(other.data_, nullptr)), mapped_(std::exchange(other.mapped_, 0)) {}
  Buffer &operator=(Buffer &&other) noexcept {
    std::swap(data_, other.data_);
    std::swap(mapped_, other.mapped_);
    return *this;
  }
  Buffer(const Buffer &) = delete;
  Buffer &operator=(const Buffer &) = delete;
  ~Buffer() {
    if (mapped_ > 0)
      munmap(data_, mapped_);
    else
      delete[] data_;
  }
  uint8_t *data() const { return data_; }
  size_t mapped() const { return mapped_; }
  // Faults every page in (writing to it), so that whoever takes the buffer next finds it ready.
  void touch() {
    for (size_t offset = 0; offset < mapped_; offset += PAGE) data_[offset] = 0;
  }
  // Gives the buffer up without freeing it; `restore` makes it again.
  std::pair<uint8_t *, size_t> release() { return {std::exchange(data_, nullptr), std::exchange(mapped_, 0)}; }
  static Buffer restore(uint8_t *data, size_t mapped) {
    Buffer buffer;
    buffer.data_ = data;
    buffer.mapped_ = mapped;
    return buffer;
  }

private:
  uint8_t *data_ = nullptr;
  size_t mapped_ = 0;
};

// A camera alternates between two frames: the one shown and the next. The one shown before may
// be let go just before the next frame takes its buffer or just after, so up to two wait: with
// one, a frame let go just before would be freed as a spare and the next one, taking its buffer
// first, would find none.
constexpr size_t MAX_WAITING = 2;

struct SameSize {
  int inUse = 0;
  std::vector<Buffer> waiting;
};

// Made once and never destroyed: a pool task may still take or make a buffer while the program
// exits, after static objects are gone.
struct Pool {
  std::mutex mutex;
  std::map<int64_t, SameSize> sizes;
  // The buffer made for a frame on its way, serving any size of its mapped length (a frame's data
  // holds its pixels and a header of a few kilobytes); empty once taken.
  Buffer expected;
};
Pool &pool() {
  static Pool *const made = new Pool;
  return *made;
}

// The first frame of a series pays for its fresh buffer; the second would pay again, as the first
// is still shown. So while the first is decoded, a spare is mapped and faulted in on the pool
// (where its tens of milliseconds cost nobody a wait) for the second to take; kept only while a
// buffer of that size is in use, the frames after take the one of the frame before last.
void prepareSpare(int64_t bytes) {
  Buffer spare(bytes);
  if (!spare.data()) return;
  spare.touch();
  std::lock_guard guard(pool().mutex);  // let go of before the spare, when that is not kept
  const auto same = pool().sizes.find(bytes);
  if (same != pool().sizes.end() && same->second.waiting.size() < MAX_WAITING)
    same->second.waiting.push_back(std::move(spare));
}

void release(int64_t bytes, Buffer freed) {
  // Freed outside the lock when not kept; likewise the waiting ones, with the last in use.
  std::vector<Buffer> spare;
  std::lock_guard guard(pool().mutex);
  SameSize &same = pool().sizes[bytes];
  if (--same.inUse > 0) {
    if (freed.data() && same.waiting.size() < MAX_WAITING) same.waiting.push_back(std::move(freed));
    return;
  }
  spare = std::move(same.waiting);
  pool().sizes.erase(bytes);
}

// What lets go of a buffer handed out, named so that `pooled` recognises it.
struct Release {
  int64_t bytes;
  size_t mapped;
  void operator()(uint8_t *released) const { release(bytes, Buffer::restore(released, mapped)); }
};

}  // namespace

namespace PixelBuffers {

std::shared_ptr<uint8_t[]> take(int64_t bytes) {
  if (bytes < 0) return nullptr;
  Buffer buffer;
  bool first = false;  // of a series: no other buffer of the size in use
  {
    std::lock_guard guard(pool().mutex);
    SameSize &same = pool().sizes[bytes];
    if (!same.waiting.empty()) {
      buffer = std::move(same.waiting.back());
      same.waiting.pop_back();
    } else if (pool().expected.data() && pool().expected.mapped() == mappedLength(bytes)) {
      buffer = std::move(pool().expected);
    }
    first = same.inUse++ == 0;
  }
  if (!buffer.data()) buffer = Buffer(bytes);
  if (!buffer.data()) {
    release(bytes, Buffer());
    return nullptr;
  }
  if (first && buffer.mapped() > 0) asyncGlobal([bytes] { prepareSpare(bytes); });
  const auto [data, mapped] = buffer.release();
  return {data, Release{bytes, mapped}};
}

bool pooled(const std::shared_ptr<const void> &owner) { return std::get_deleter<Release>(owner) != nullptr; }

void expect(int64_t bytes) {
  if (bytes < int64_t(HUGE_PAGE)) return;
  asyncGlobal([bytes] {
    Buffer unused;  // freed outside the lock
    {
      std::lock_guard guard(pool().mutex);
      if (pool().expected.data()) {  // the frame before did not take the one made for it
        unused = std::move(pool().expected);
        return;
      }
      for (const auto &[size, same] : pool().sizes)
        if (mappedLength(size) == mappedLength(bytes)) return;  // the frames in use leave theirs for the next
    }
    Buffer made(bytes);
    if (!made.data()) return;
    made.touch();
    std::lock_guard guard(pool().mutex);
    if (!pool().expected.data()) pool().expected = std::move(made);
  });
}

}  // namespace PixelBuffers
