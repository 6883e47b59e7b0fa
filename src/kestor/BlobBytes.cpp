#include "kestor/BlobBytes.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

#include "image/PixelBuffers.h"

namespace {

std::mutex mutex;

struct Held {
  QByteArray bytes;
  uint64_t expectation = 0;  // the pixel buffers' ticket for the frame these bytes may be
};

// Buffers by their first byte. Never destroyed: the library may free buffers while the process ends.
std::unordered_map<const void *, Held> &buffers() {
  static auto *held = new std::unordered_map<const void *, Held>();
  return *held;
}

}  // namespace

void *resizeBlobBytes(void *data, size_t bytes) {
  const auto size = static_cast<qsizetype>(bytes);
  std::lock_guard lock(mutex);
  try {
    if (!data) {
      QByteArray array(size, Qt::Uninitialized);  // pages not yet written cost nothing
      char *start = array.data();
      buffers().emplace(start, Held{std::move(array)});
      return start;
    }
    const auto found = buffers().find(data);
    if (found == buffers().end()) return nullptr;
    QByteArray &array = found->second.bytes;  // not shared yet: the library resizes only while it decodes
    if (size > array.size()) {
      array.reserve(size);  // exactly: the C library's realloc moves large buffers without copying
      array.resize(size);
    } else {
      array.resize(size);
      array.squeeze();
    }
    if (array.constData() != data) {  // moved: filed again under its new address (the node stays)
      auto node = buffers().extract(found);
      node.key() = node.mapped().bytes.constData();
      buffers().insert(std::move(node));
    }
    return array.data();
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

void blobHalfArrived(void *data, size_t declared) {
  std::lock_guard lock(mutex);
  const auto found = buffers().find(data);
  // Perhaps a camera frame, whose pixel buffer can be made ready while the rest arrives: the bytes
  // that came have earned half of it.
  if (found != buffers().end() && !found->second.expectation)
    found->second.expectation = PixelBuffers::expect(int64_t(declared));
}

void freeBlobBytes(void *data) {
  Held released;  // let go of outside the lock
  {
    std::lock_guard lock(mutex);
    auto node = buffers().extract(data);
    if (node.empty()) return std::free(data);  // made before these were installed: malloc's
    released = std::move(node.mapped());
  }
  // The BLOB has ended: refused, cut short, gone with its connection, or replaced by the next;
  // a frame it was, its decoding took the buffer made for it long before.
  PixelBuffers::forget(released.expectation);
}

QByteArray blobBytes(const void *data, qsizetype size) {
  if (!data || size <= 0) return {};
  {
    std::lock_guard lock(mutex);
    const auto found = buffers().find(data);
    if (found != buffers().end() && found->second.bytes.size() == size) return found->second.bytes;
  }
  return QByteArray(static_cast<const char *>(data), size);
}
