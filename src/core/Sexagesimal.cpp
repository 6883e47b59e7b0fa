#include "core/Sexagesimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "core/DecimalText.h"

namespace {

constexpr double TWO_TO_THE_63 = 9223372036854775808.0;

QString padded(QString text, qsizetype width) { return text.rightJustified(width, u'0'); }

QString integerText(int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, result.ptr - buffer);
}

// "%04.1f" in the C locale.
QString secondsText(double seconds) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 1);
  return padded(QString::fromLatin1(buffer, result.ptr - buffer), 4);
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r'; }

// The decimal number at the start of a piece: white space, an optional sign, digits with an
// optional decimal point, an optional exponent. No number gives 0; an exponent beyond the range
// of a double gives an infinity or 0, as strtod does.
double leadingNumber(QStringView piece) {
  qsizetype i = 0;
  while (i < piece.size() && isSpace(piece[i].unicode())) ++i;
  bool negative = false;
  if (i < piece.size() && (piece[i] == u'+' || piece[i] == u'-')) negative = piece[i++] == u'-';
  std::string number;
  qsizetype digits = 0;
  while (i < piece.size() && isDigit(piece[i].unicode())) {
    number += char(piece[i++].unicode());
    ++digits;
  }
  if (i < piece.size() && piece[i] == u'.') {
    number += '.';
    ++i;
    while (i < piece.size() && isDigit(piece[i].unicode())) {
      number += char(piece[i++].unicode());
      ++digits;
    }
  }
  if (digits == 0) return 0;
  if (i < piece.size() && (piece[i] == u'e' || piece[i] == u'E')) {
    qsizetype j = i + 1;
    std::string exponent = "e";
    if (j < piece.size() && (piece[j] == u'+' || piece[j] == u'-')) exponent += char(piece[j++].unicode());
    const qsizetype firstDigit = j;
    while (j < piece.size() && isDigit(piece[j].unicode())) exponent += char(piece[j++].unicode());
    if (j > firstDigit) number += exponent;
  }
  double value = 0;
  decimalFromChars(number.data(), number.data() + number.size(), value);
  return negative ? -value : value;
}

}  // namespace

QString formatSexagesimal(double value, const QString &separator1, const std::optional<QString> &separator2) {
  if (!std::isfinite(value) || std::fabs(value) >= TWO_TO_THE_63) return QString::fromUtf16(UNFORMATTABLE_SEXAGESIMAL);
  const double a = std::fabs(value);
  const auto degrees = int64_t(a);
  const double x = (a - std::floor(a)) * 60;
  const auto minutes = int64_t(x);
  const double seconds = (x - std::floor(x)) * 60;
  QString text = value < 0 ? QStringLiteral("-") : QString();
  text += integerText(degrees) + separator1 + padded(integerText(minutes), 2);
  if (separator2) text += *separator2 + secondsText(seconds);
  return text;
}

QString formatSexagesimal(double value) { return formatSexagesimal(value, QStringLiteral(":"), QStringLiteral(":")); }

double parseSexagesimal(const QString &text) {
  double fields[3] = {0, 0, 0};
  int field = 0;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size() && field < 3; ++i) {
    if (i < text.size() && !QStringView(u":*' ").contains(text[i])) continue;
    fields[field++] = leadingNumber(QStringView(text).sliced(start, i - start));
    start = i + 1;
  }
  const double result = std::fabs(fields[0]) + fields[1] / 60 + fields[2] / 3600;
  return text.startsWith(u'-') ? -result : result;
}

QString substring(const QString &text, qsizetype from, qsizetype length) {
  const qsizetype end = std::min(length, text.size());
  if (from < 0 || from > end) return {};
  return text.sliced(from, end - from);
}
