#include "image/PixelBuffers.h"

#include <sys/mman.h>

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

// One buffer: mapped (mapped bytes > 0), or from the heap for small ones.
class Block {
public:
  Block() = default;
  explicit Block(int64_t bytes) {
    if (size_t(bytes) < HUGE_PAGE) {
      data_ = new (std::nothrow) uint8_t[size_t(bytes)];
      return;
    }
    // Mapped with a huge page to spare, then trimmed to an aligned run of whole huge pages.
    const size_t length = (size_t(bytes) + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
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
  Block(Block &&other) noexcept
      : data_(std::exchange(other.data_, nullptr)), mapped_(std::exchange(other.mapped_, 0)) {}
  Block &operator=(Block &&other) noexcept {
    std::swap(data_, other.data_);
    std::swap(mapped_, other.mapped_);
    return *this;
  }
  Block(const Block &) = delete;
  Block &operator=(const Block &) = delete;
  ~Block() {
    if (mapped_ > 0)
      munmap(data_, mapped_);
    else
      delete[] data_;
  }
  uint8_t *data() const { return data_; }
  // Gives the buffer up without freeing it; `restore` makes the block again.
  std::pair<uint8_t *, size_t> release() { return {std::exchange(data_, nullptr), std::exchange(mapped_, 0)}; }
  static Block restore(uint8_t *data, size_t mapped) {
    Block block;
    block.data_ = data;
    block.mapped_ = mapped;
    return block;
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
  std::vector<Block> waiting;
};

std::mutex mutex;
std::map<int64_t, SameSize> sizes;

void release(int64_t bytes, Block freed) {
  // Freed outside the lock when not kept; likewise the waiting ones, with the last in use.
  std::vector<Block> spare;
  std::lock_guard guard(mutex);
  SameSize &same = sizes[bytes];
  if (--same.inUse > 0) {
    if (freed.data() && same.waiting.size() < MAX_WAITING) same.waiting.push_back(std::move(freed));
    return;
  }
  spare = std::move(same.waiting);
  sizes.erase(bytes);
}

}  // namespace

namespace PixelBuffers {

std::shared_ptr<uint8_t[]> take(int64_t bytes) {
  if (bytes < 0) return nullptr;
  Block buffer;
  {
    std::lock_guard guard(mutex);
    SameSize &same = sizes[bytes];
    if (!same.waiting.empty()) {
      buffer = std::move(same.waiting.back());
      same.waiting.pop_back();
    }
    ++same.inUse;
  }
  if (!buffer.data()) buffer = Block(bytes);
  if (!buffer.data()) {
    release(bytes, Block());
    return nullptr;
  }
  const auto [data, mapped] = buffer.release();
  return {data, [bytes, mapped](uint8_t *released) { release(bytes, Block::restore(released, mapped)); }};
}

}  // namespace PixelBuffers
