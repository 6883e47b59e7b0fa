#include "core/StrictNumber.h"

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
  if (text.isEmpty()) return std::nullopt;
  const QChar first = text.front();
  if (!(first.isDigit() && first.unicode() < 128) && !(allowPoint && first == u'.')) return std::nullopt;
  std::string ascii;
  ascii.reserve(text.size());
  for (QChar c : text) {
    if (c.unicode() >= 128) return std::nullopt;
    ascii.push_back(char(c.unicode()));
  }
  return ascii;
}

// The magnitude of the number in the text, read as a whole; negative tells its sign.
template <typename T, typename... Format>
std::optional<T> readMagnitude(QStringView text, bool allowPoint, bool &negative, Format... format) {
  const std::optional<std::string> ascii = unsignedPart(text, negative, allowPoint);
  if (!ascii) return std::nullopt;
  T value{};
  const char *end = ascii->data() + ascii->size();
  const auto [stop, error] = std::from_chars(ascii->data(), end, value, format...);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace

namespace StrictNumber {

std::optional<int64_t> toInt64(QStringView text) {
  bool negative;
  const std::optional<uint64_t> magnitude = readMagnitude<uint64_t>(text, false, negative);
  if (!magnitude || *magnitude > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX))) return std::nullopt;
  return negative ? int64_t(0 - *magnitude) : int64_t(*magnitude);
}

std::optional<int32_t> toInt32(QStringView text) {
  const std::optional<int64_t> value = toInt64(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
  return int32_t(*value);
}

std::optional<double> toDouble(QStringView text) {
  bool negative;
  const std::optional<double> magnitude = readMagnitude<double>(text, true, negative, std::chars_format::general);
  if (!magnitude) return std::nullopt;
  return negative ? -*magnitude : *magnitude;
}

QStringView trimBlanks(QStringView text) {
  auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
  while (!text.isEmpty() && blank(text.front())) text = text.mid(1);
  while (!text.isEmpty() && blank(text.back())) text.chop(1);
  return text;
}

}  // namespace StrictNumber
