// The memory of the library's BLOB bytes, held as QByteArrays (installed as kestor_blob_resize
// and kestor_blob_free), so that the model shares the bytes the library decoded instead of
// copying them. Any thread.
#pragma once

#include <QByteArray>
#include <cstddef>

// As realloc, for the library: a new buffer when data is null; null when out of memory.
void *resizeBlobBytes(void *data, size_t bytes);
// The library no longer holds the buffer; the bytes live on while a QByteArray shares them.
void freeBlobBytes(void *data);
// The bytes of an item's buffer: shared when the buffer is one of these and holds `size` bytes,
// else a copy.
QByteArray blobBytes(const void *data, qsizetype size);
