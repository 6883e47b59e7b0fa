// Strict readings of numbers typed by users or sent by services: the whole text must be the
// number (an optional sign, then digits; for reals a C-locale decimal number), nothing around it.
#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

namespace StrictNumber {

std::optional<int64_t> toInt64(QStringView text);
std::optional<int32_t> toInt32(QStringView text);
// No "nan" or "inf", no hexadecimal, no thousands separators.
std::optional<double> toDouble(QStringView text);
// The text without blanks and tabs at both ends.
QStringView trimBlanks(QStringView text);

}  // namespace StrictNumber
