#include "BlobMemory.h"

#include <kestor.h>

#include <cstdlib>

void *(*kestor_blob_resize)(void *data, size_t bytes) = nullptr;
void (*kestor_blob_free)(void *data) = nullptr;
void (*kestor_blob_half_arrived)(void *data, size_t declared) = nullptr;

namespace kestor {

void *resizeBlobMemory(void *data, size_t bytes) {
  if (bytes == 0) bytes = 1;  // a buffer is never empty: null means out of memory
  return kestor_blob_resize ? kestor_blob_resize(data, bytes) : std::realloc(data, bytes);
}

void announceHalfArrived(void *data, size_t declared) {
  if (auto *announce = kestor_blob_half_arrived) announce(data, declared);
}

void freeBlobMemory(void *data) {
  if (!data) return;
  if (kestor_blob_free)
    kestor_blob_free(data);
  else
    std::free(data);
}

}  // namespace kestor
