// The memory of the library's BLOB bytes, held as QByteArrays (installed as kestor_blob_resize,
// kestor_blob_free and kestor_blob_half_arrived), so that the model shares the bytes the library
// decoded instead of copying them. Any thread.
#pragma once

#include <QByteArray>
#include <cstddef>

// As realloc, for the library: a new buffer when data is null; null when out of memory.
void *resizeBlobBytes(void *data, size_t bytes);
// Half the bytes a BLOB declares have arrived in the buffer: the pixel buffer of a frame of that
// size is made ready meanwhile, and given back once the BLOB's buffer is freed if not taken.
void blobHalfArrived(void *data, size_t declared);
// The library no longer holds the buffer; the bytes live on while a QByteArray shares them.
void freeBlobBytes(void *data);
// The bytes of an item's buffer: shared when the buffer is one of these and holds `size` bytes,
// else a copy.
QByteArray blobBytes(const void *data, qsizetype size);
