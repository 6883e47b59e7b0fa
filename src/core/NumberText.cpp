#include "core/NumberText.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

#include "core/Sexagesimal.h"

QString formatNumber(double value) {
  if (!std::isfinite(value)) {
    return std::isnan(value) ? QStringLiteral("NaN") : (value > 0 ? QStringLiteral("+∞") : QStringLiteral("-∞"));
  }
  QString text = QString::number(value, 'f', 6);
  if (text.contains(u'.')) {
    while (text.endsWith(u'0')) {
      text.chop(1);
    }
    if (text.endsWith(u'.')) {
      text.chop(1);
    }
  }
  return text;
}

bool isSexagesimalFormat(const QString &format) { return format.endsWith(u'm'); }

QString numberText(double value, const QString &format) {
  return isSexagesimalFormat(format) ? formatSexagesimal(value) : formatNumber(value);
}

namespace {

// Every piece the sexagesimal reading uses (the first three) must be empty or a whole number,
// and the ignored ones empty, so that nothing of the text is silently dropped.
bool isSexagesimalText(const QString &text) {
  static const QRegularExpression separators(QStringLiteral("[:*' ]"));
  const QStringList pieces = text.split(separators);
  bool anyNumber = false;
  for (qsizetype i = 0; i < pieces.size(); ++i) {
    if (pieces[i].isEmpty()) {
      continue;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(pieces[i], &ok);
    if (i >= 3 || !ok || !std::isfinite(v)) {
      return false;
    }
    anyNumber = true;
  }
  return anyNumber;
}

}  // namespace

std::optional<double> parseTarget(const QString &text, const QString &format) {
  if (isSexagesimalFormat(format)) {
    if (!isSexagesimalText(text)) {
      return std::nullopt;
    }
    const double value = parseSexagesimal(text);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
  }
  bool ok = false;
  const double value = QLocale::c().toDouble(text.trimmed(), &ok);
  return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}
