#include "Numbers.h"

#include "Text.h"

#include <charconv>
#include <cmath>

namespace kestor {

namespace {

// Where the first separator of sexagesimal fields is, npos when there is none. A plain loop: the
// standard find_first_of looks each character up in the set with a library call.
size_t separatorIn(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == ':' || text[i] == ' ' || text[i] == ';') return i;
  return std::string_view::npos;
}

std::optional<double> parseDecimal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
  text = trim(text);
  const size_t separator = separatorIn(text);
  if (separator == std::string_view::npos) return parseDecimal(text);

  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  double value = 0;
  double scale = 1;
  for (int field = 0; field < 3 && !text.empty(); ++field) {
    const size_t end = separatorIn(text);
    const auto part = parseDecimal(text.substr(0, end));
    if (!part || *part < 0 || std::signbit(*part)) return std::nullopt;
    value += *part / scale;
    scale *= 60;
    if (end == std::string_view::npos) {
      text = {};
    } else {
      text.remove_prefix(end + 1);
      if (text.empty()) return std::nullopt;
    }
  }
  if (!text.empty()) return std::nullopt;
  return negative ? -value : value;
}

std::string formatNumber(double value) {
  // Plain decimals where they stay short, the shortest exponent form beyond.
  const double magnitude = std::fabs(value);
  const bool plain = value == 0 || (magnitude >= 1e-6 && magnitude < 1e15);
  char buffer[64];
  const auto result = plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                            : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace kestor
