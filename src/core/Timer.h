// A start time in one unsigned 64-bit count. The program declares the type with its other shared
// helpers and makes no value of it.
#pragma once

#include <cstdint>

struct Timer {
  std::uint64_t start = 0;
};
