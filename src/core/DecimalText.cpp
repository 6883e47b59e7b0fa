#include "core/DecimalText.h"

#include <algorithm>
#include <cmath>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the number's first non-zero digit plus one, exponent included: above zero
// for a number of at least 1, at or below zero for a fraction. Only read for a number out of
// range, so it has at least one non-zero digit.
long decimalMagnitude(const char *begin, const char *end) {
  const char *p = begin;
  if (p != end && (*p == '+' || *p == '-')) ++p;
  while (p != end && *p == '0') ++p;
  long magnitude = 0;
  while (p != end && isDigit(*p)) ++p, ++magnitude;
  if (p != end && *p == '.') {
    ++p;
    if (magnitude == 0)
      while (p != end && *p == '0') ++p, --magnitude;
    while (p != end && isDigit(*p)) ++p;
  }
  if (p == end || (*p != 'e' && *p != 'E')) return magnitude;
  ++p;
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '+' || *p == '-')) ++p;
  constexpr long cap = 1'000'000'000;  // far beyond any double, far below overflow
  long exponent = 0;
  for (; p != end && isDigit(*p); ++p) exponent = std::min(cap, exponent * 10 + (*p - '0'));
  return magnitude + (negative ? -exponent : exponent);
}

}  // namespace

std::from_chars_result decimalFromChars(const char *begin, const char *end, double &value) {
  const std::from_chars_result result = std::from_chars(begin, end, value);
  if (result.ec != std::errc::result_out_of_range) return result;
  const bool negative = begin != end && *begin == '-';
  value = std::copysign(decimalMagnitude(begin, result.ptr) > 0 ? HUGE_VAL : 0.0, negative ? -1.0 : 1.0);
  return {result.ptr, std::errc()};
}
