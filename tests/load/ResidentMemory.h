// The process's resident memory, from /proc/self/statm.
#pragma once

#include <QtGlobal>

// Resident bytes now; 0 when they cannot be read.
qint64 residentBytes();
// Megabytes, for figures.
inline double megabytes(qint64 bytes) { return double(bytes) / (1024.0 * 1024.0); }
