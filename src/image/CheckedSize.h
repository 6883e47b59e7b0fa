#pragma once
// Size arithmetic that reports overflow instead of wrapping: every product that sizes an
// allocation or a read goes through these before it is used.

#include <cstdint>
#include <initializer_list>
#include <optional>

// The product of the factors, or nothing when a factor is negative or the product exceeds INT64_MAX.
inline std::optional<int64_t> checkedProduct(std::initializer_list<int64_t> factors) {
  int64_t product = 1;
  for (int64_t factor : factors) {
    if (factor < 0 || __builtin_mul_overflow(product, factor, &product)) return std::nullopt;
  }
  return product;
}

// The sum of two non-negative sizes, or nothing on overflow.
inline std::optional<int64_t> checkedSum(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (a < 0 || b < 0 || __builtin_add_overflow(a, b, &sum)) return std::nullopt;
  return sum;
}
