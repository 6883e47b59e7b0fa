#pragma once
// Degrees-minutes-seconds text for angles and hours, and back; plus slicing a line by character
// positions. Neither formatting nor parsing follows the user's locale: the decimal point is
// always ".".

#include <QString>

#include <optional>

// The text of a value that cannot be formatted (NaN, infinite, or 2^63 or more in magnitude).
inline constexpr char16_t UNFORMATTABLE_SEXAGESIMAL[] = u"--:--:--";

// "12:30:00.0" for 12.5 with ":" as both separators; without a second separator only degrees
// and minutes ("12:30"). Minutes are truncated and seconds are rounded only by the printing to
// one decimal, so 59.96 seconds show as "60.0" without carrying into the minutes.
QString formatSexagesimal(double value, const QString &separator1, const std::optional<QString> &separator2);
QString formatSexagesimal(double value);

// Degrees, minutes and seconds separated by any of ":*' " (empty fields count as 0); the
// result is negative only when the text begins with "-". Text without numbers gives 0.
double parseSexagesimal(const QString &text);

// The characters of `text` from position `from` up to position `length` (clamped to the text).
QString substring(const QString &text, qsizetype from, qsizetype length);
