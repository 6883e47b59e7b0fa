// Number items as text: the value fields' display and the target fields' reading.
#pragma once

#include <QString>
#include <optional>

// C locale, up to 6 fraction digits without trailing zeros, no grouping, at least one integer
// digit: 1.5 gives "1.5", 2.0 gives "2", 0.25 gives "0.25".
QString formatNumber(double value);
// A number whose printf-style format ends in "m" is shown and read as sexagesimal text.
bool isSexagesimalFormat(const QString &format);
// The value as sexagesimal text ("12:30:00.0") or as plain number text.
QString numberText(double value, const QString &format);
// What a target field's text sends, or nothing when the text is not wholly a number (plain
// formats) or not sexagesimal text made only of numbers (formats ending in "m").
std::optional<double> parseTarget(const QString &text, const QString &format);
