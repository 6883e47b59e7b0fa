// The memory that holds in-memory BLOB bytes: the application's allocator when it set one (so it
// may share the bytes instead of copying them), else the C library's; and the application's word
// that a BLOB is half there (so it may prepare for the rest).
#pragma once

#include <cstddef>
#include <memory>

namespace kestor {

// As realloc: a new buffer when data is null; null, with data left as it was, when out of memory.
void *resizeBlobMemory(void *data, size_t bytes);
void freeBlobMemory(void *data);
// Tells the application that half the `declared` bytes of the BLOB arriving in `data` are there.
void announceHalfArrived(void *data, size_t declared);

struct BlobDeleter {
  void operator()(void *data) const { freeBlobMemory(data); }
};
using BlobBuffer = std::unique_ptr<unsigned char, BlobDeleter>;

}  // namespace kestor
