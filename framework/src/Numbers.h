// Locale-independent number text of the bus: decimal and sexagesimal values in, "." decimals out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestor {

// A decimal number ("19.5694", "-5.39", "1e3") or a sexagesimal one ("12:30:00", "-5 23 24",
// "12;30"), surrounding white space ignored. Empty or malformed text yields no value.
std::optional<double> parseNumber(std::string_view text);

// The shortest text that reads back as the same value, always with "." whatever the locale:
// plain decimals ("0.0005") for magnitudes from 1e-6 to 1e15, the exponent form ("1e+20") beyond.
std::string formatNumber(double value);

}  // namespace kestor
