#include "skymap/StrictNumber.h"

#include <charconv>
#include <string>

namespace {

// The text as ASCII with its sign split off; nullopt when it holds anything else or nothing
// follows the sign. The unsigned part must begin with a digit (or a point, for reals).
std::optional<std::string> unsignedPart(QStringView text, bool &negative, bool allowPoint) {
  negative = false;
  if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
    negative = text.front() == u'-';
    text = text.mid(1);
  }
  if (text.isEmpty())
    return std::nullopt;
  const QChar first = text.front();
  if (!(first.isDigit() && first.unicode() < 128) && !(allowPoint && first == u'.'))
    return std::nullopt;
  std::string ascii;
  ascii.reserve(text.size());
  for (QChar c : text) {
    if (c.unicode() >= 128)
      return std::nullopt;
    ascii.push_back(char(c.unicode()));
  }
  return ascii;
}

}  // namespace

namespace StrictNumber {

std::optional<int32_t> toInt32(QStringView text) {
  bool negative;
  const std::optional<std::string> digits = unsignedPart(text, negative, false);
  if (!digits)
    return std::nullopt;
  int64_t value = 0;
  const char *end = digits->data() + digits->size();
  const auto [stop, error] = std::from_chars(digits->data(), end, value);
  if (error != std::errc() || stop != end)
    return std::nullopt;
  value = negative ? -value : value;
  if (value < INT32_MIN || value > INT32_MAX)
    return std::nullopt;
  return int32_t(value);
}

std::optional<double> toDouble(QStringView text) {
  bool negative;
  const std::optional<std::string> number = unsignedPart(text, negative, true);
  if (!number)
    return std::nullopt;
  double value = 0;
  const char *end = number->data() + number->size();
  const auto [stop, error] = std::from_chars(number->data(), end, value, std::chars_format::general);
  if (error != std::errc() || stop != end)
    return std::nullopt;
  return negative ? -value : value;
}

QStringView trimBlanks(QStringView text) {
  auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
  while (!text.isEmpty() && blank(text.front()))
    text = text.mid(1);
  while (!text.isEmpty() && blank(text.back()))
    text.chop(1);
  return text;
}

}  // namespace StrictNumber
