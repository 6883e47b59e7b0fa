// Reads arbitrary bytes as every kind of stored settings value: text, bytes (an archived colour),
// and the numbers a settings store gives back (the bytes taken as double, float and integers).
#include "core/Settings.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

volatile double sink;

void readEveryWay(const QVariant &value) {
  const auto integer = UserDefaults::integerReading(value);
  const auto boolean = UserDefaults::boolReading(value);
  const auto number = UserDefaults::doubleReading(value);
  // A value with a number reading has all three.
  if (integer.has_value() != boolean.has_value() || integer.has_value() != number.has_value()) std::abort();
  if (integer) sink = double(*integer) + (*boolean ? 1 : 0) + *number;
}

template <typename Number>
void readAs(const uint8_t *data, size_t size) {
  Number value{};
  std::memcpy(&value, data, std::min(size, sizeof value));
  readEveryWay(QVariant::fromValue(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  readEveryWay(QString::fromUtf8(bytes));
  readEveryWay(bytes);
  readAs<double>(data, size);
  readAs<float>(data, size);
  readAs<qint64>(data, size);
  readAs<quint64>(data, size);
  readAs<int>(data, size);
  readEveryWay(QVariant(size > 0 && (data[0] & 1)));
  // An archived colour reads back only in the exact form it was written.
  if (const auto color = UserDefaults::decodeColor(bytes)) {
    if (UserDefaults::encodeColor(*color) != bytes) std::abort();
    if (UserDefaults::decodeColor(UserDefaults::encodeColor(*color)) != color) std::abort();
  }
  return 0;
}
