#include "image/PixelBuffers.h"

#include <sys/mman.h>

#include "core/Dispatch.h"

#include <condition_variable>
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

// The frame on its way, and the buffer made for it, serving any size of its mapped length (a
// frame's data holds its pixels and a header of a few kilobytes).
struct Expected {
  uint64_t ticket = 0;  // 0: none expected
  int64_t bytes = 0;
  Buffer buffer;  // empty until made
};

// Made once and never destroyed: a pool task may still take or make a buffer while the program
// exits, after static objects are gone.
struct Pool {
  std::mutex mutex;
  std::map<int64_t, SameSize> sizes;
  Expected expected;
  uint64_t tickets = 0;
  bool making = false;  // a task is making the expected buffer (or the one of an expectation since replaced)
  std::condition_variable made;
};
Pool &pool() {
  static Pool *const made = new Pool;
  return *made;
}

// Whether buffers of `bytes`' mapped length are in use: their frames leave theirs for the next.
bool inUse(int64_t bytes) {
  for (const auto &[size, same] : pool().sizes)
    if (mappedLength(size) == mappedLength(bytes)) return true;
  return false;
}

// Makes the expected buffer on the pool, one at a time: a buffer whose expectation was replaced or
// forgotten meanwhile is given back, and the newer expectation's made next.
void makeExpected() {
  std::unique_lock lock(pool().mutex);
  if (pool().making) return;  // the task at work makes it next
  pool().making = true;
  Expected &expected = pool().expected;
  while (expected.ticket != 0 && !expected.buffer.data()) {
    const uint64_t ticket = expected.ticket;
    const int64_t bytes = expected.bytes;
    lock.unlock();
    Buffer made(bytes);
    made.touch();
    lock.lock();
    if (expected.ticket != ticket) {
      lock.unlock();
      made = Buffer();  // given back outside the lock
      lock.lock();
    } else if (!made.data()) {
      expected = Expected();  // no memory: the frame makes its own, or does without
    } else {
      expected.buffer = std::move(made);
    }
  }
  pool().making = false;
  pool().made.notify_all();
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
    std::unique_lock lock(pool().mutex);
    Expected &expected = pool().expected;
    const auto madeForThis = [&] {
      return expected.ticket != 0 && mappedLength(expected.bytes) == mappedLength(bytes);
    };
    SameSize &same = pool().sizes[bytes];
    first = same.inUse++ == 0;  // counted before any wait, so that the entry stays
    if (!same.waiting.empty()) {
      buffer = std::move(same.waiting.back());
      same.waiting.pop_back();
    } else if (madeForThis()) {
      // Being made: waited for, as making another would cost as long and twice the memory.
      pool().made.wait(lock, [&] { return !pool().making || !madeForThis() || expected.buffer.data(); });
      if (madeForThis()) {
        buffer = std::move(expected.buffer);
        expected = Expected();
      }
    }
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

uint64_t expect(int64_t bytes) {
  if (bytes < int64_t(HUGE_PAGE)) return 0;
  Buffer unused;  // given back outside the lock
  std::lock_guard guard(pool().mutex);
  Expected &expected = pool().expected;
  const bool untaken = expected.buffer.data() != nullptr;  // the frame before was not one for these buffers
  unused = std::move(expected.buffer);
  expected = Expected();
  if (untaken || inUse(bytes)) return 0;
  expected.ticket = ++pool().tickets;
  expected.bytes = bytes;
  asyncGlobal(makeExpected);
  return expected.ticket;
}

void forget(uint64_t ticket) {
  Buffer unused;  // given back outside the lock
  std::lock_guard guard(pool().mutex);
  if (ticket == 0 || pool().expected.ticket != ticket) return;
  unused = std::move(pool().expected.buffer);
  pool().expected = Expected();
  pool().made.notify_all();  // a frame waiting for it makes its own
}

int64_t expectedBytes() {
  std::lock_guard guard(pool().mutex);
  return pool().expected.buffer.data() ? pool().expected.bytes : 0;
}

}  // namespace PixelBuffers
