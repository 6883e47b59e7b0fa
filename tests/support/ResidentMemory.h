// The process's resident memory, from /proc/self: now, and its peak since the last resetPeak.
#pragma once

#include <cstdint>

namespace test_support {

// Under AddressSanitizer (its quarantine keeps freed memory) or ThreadSanitizer (its shadow
// memory) resident memory tells nothing about the program's own use: goals on it are checked only
// without them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool RESIDENT_MEMORY_MEANINGFUL = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool RESIDENT_MEMORY_MEANINGFUL = false;
#else
constexpr bool RESIDENT_MEMORY_MEANINGFUL = true;
#endif
#else
constexpr bool RESIDENT_MEMORY_MEANINGFUL = true;
#endif

// Resident bytes now; 0 when they cannot be read.
int64_t residentBytes();
// The highest resident bytes since the process started or resetPeak was last called; 0 when they
// cannot be read.
int64_t peakResidentBytes();
// Starts the peak again from now; false when the system does not allow it.
bool resetPeak();

// Mebibytes, for figures.
inline double megabytes(int64_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

}  // namespace test_support
