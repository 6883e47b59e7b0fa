// A decimal number read from the start of C-locale text the way the platform's text objects read
// numbers: a reading too large gives plus or minus HUGE_VAL, one too small zero.
#pragma once

#include <charconv>

// std::from_chars for a double in its general format, except that a number out of range is read
// as its saturated value with no error (ptr still marks where the number ends).
std::from_chars_result decimalFromChars(const char *begin, const char *end, double &value);
