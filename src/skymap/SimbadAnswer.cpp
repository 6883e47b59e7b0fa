#include "skymap/SimbadAnswer.h"

#include "core/StrictNumber.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

enum class Effect {
  End,
  Hip,
  AppendLine,
  ReplaceWithLine,
  AppendText,
  Ra,
  Dec,
  Mag,
  Dimension,
  PmRa,
  PmDec,
  Parallax,
  RadialVelocity
};

struct Row {
  QLatin1StringView prefix;
  qsizetype drop;
  Effect effect;
};

// The first row whose prefix a line begins with applies.
const Row ROWS[] = {
    {QLatin1StringView("END"), 0, Effect::End},
    {QLatin1StringView("HIP "), 4, Effect::Hip},
    {QLatin1StringView("NGC "), 0, Effect::AppendLine},
    {QLatin1StringView("IC "), 0, Effect::ReplaceWithLine},
    {QLatin1StringView("ID HIP "), 7, Effect::Hip},
    {QLatin1StringView("ID NGC "), 3, Effect::AppendText},
    {QLatin1StringView("ID IC "), 3, Effect::AppendText},
    {QLatin1StringView("ID NAME "), 8, Effect::AppendText},
    {QLatin1StringView("ID "), 3, Effect::AppendText},
    {QLatin1StringView("NAME "), 5, Effect::AppendText},
    {QLatin1StringView("RA "), 3, Effect::Ra},
    {QLatin1StringView("DEC "), 4, Effect::Dec},
    {QLatin1StringView("MAG "), 4, Effect::Mag},
    {QLatin1StringView("DIM_X "), 6, Effect::Dimension},
    {QLatin1StringView("DIM_Y "), 6, Effect::Dimension},
    {QLatin1StringView("PM_RA "), 6, Effect::PmRa},
    {QLatin1StringView("PM_DEC "), 7, Effect::PmDec},
    {QLatin1StringView("PLX "), 4, Effect::Parallax},
    {QLatin1StringView("RV "), 3, Effect::RadialVelocity},
};

void appendName(MapEntry &entry, const QString &text) {
  entry.name = entry.name ? *entry.name + QStringLiteral(", ") + text : text;
}

// Applies one line other than "END" to the entry.
void apply(MapEntry &entry, const Row &row, const QString &line) {
  const QString text = line.mid(row.drop);
  switch (row.effect) {
  case Effect::AppendLine: appendName(entry, line); return;
  case Effect::ReplaceWithLine: entry.name = line; return;
  case Effect::AppendText: appendName(entry, text); return;
  case Effect::Hip:
    if (const auto hip = StrictNumber::toInt32(StrictNumber::trimBlanks(text))) entry.object.id = *hip;
    return;
  case Effect::End: return;
  default: break;
  }
  const std::optional<double> value = StrictNumber::toDouble(StrictNumber::trimBlanks(text));
  if (!value) return;
  switch (row.effect) {
  case Effect::Ra: entry.object.j2kRA = *value / 15.0; break;
  case Effect::Dec: entry.object.j2kDec = *value; break;
  case Effect::Mag: entry.object.mag = float(*value); break;
  case Effect::Dimension: entry.object.diameter = std::max(entry.object.diameter, float(*value)); break;
  case Effect::PmRa: entry.object.pmra = float(*value); break;
  case Effect::PmDec: entry.object.pmdec = float(*value); break;
  case Effect::Parallax: entry.object.px = float(*value); break;
  case Effect::RadialVelocity: entry.object.rv = float(*value); break;
  default: break;
  }
}

}  // namespace

SimbadAnswer SimbadAnswer::parse(const QByteArray &data, unsigned logLevel) {
  SimbadAnswer answer;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder(data);
  if (decoder.hasError()) return answer;
  auto entry = std::make_shared<MapEntry>();
  for (QString line : text.split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    if (logLevel == 2) answer.log.append(line);
    const auto row =
        std::find_if(std::begin(ROWS), std::end(ROWS), [&](const Row &r) { return line.startsWith(r.prefix); });
    if (row == std::end(ROWS)) continue;
    if (row->effect != Effect::End) {
      apply(*entry, *row, line);
      continue;
    }
    if (entry->name) answer.entries.push_back(entry);
    entry = std::make_shared<MapEntry>();
    if (logLevel == 1) answer.log.append(QStringLiteral("Processed SIMBAD response"));
  }
  return answer;
}
