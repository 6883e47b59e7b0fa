#include "skymap/LocalSearch.h"

#include "core/StrictNumber.h"

namespace {

QString starTitle(const MapEntry &star) {
  QString title = QStringLiteral("HIP") + QString::number(star.id);
  if (star.name)
    title += QStringLiteral(", ") + *star.name;
  return title;
}

bool nameContains(const MapEntry &entry, const QString &upperQuery) {
  return entry.name && entry.name->toUpper().contains(upperQuery);
}

}  // namespace

namespace LocalSearch {

QString normalised(const QString &query) {
  const QString upper = query.toUpper();
  for (const QLatin1StringView prefix : {QLatin1StringView("IC"), QLatin1StringView("NGC"), QLatin1StringView("M")}) {
    if (!upper.startsWith(prefix))
      continue;
    if (const std::optional<int32_t> n = StrictNumber::toInt32(QStringView(upper).mid(prefix.size())))
      return prefix + QString::number(*n);
    return upper;
  }
  return upper;
}

std::vector<SearchResult> find(const QString &query, const std::vector<MapEntryPtr> &stars,
                               const std::vector<MapEntryPtr> &dsos, const std::vector<MapEntryPtr> &solarsys) {
  std::vector<SearchResult> results;
  const QString upper = query.toUpper();
  if (upper.startsWith(QStringLiteral("HIP"))) {
    if (const std::optional<int32_t> hip = StrictNumber::toInt32(QStringView(upper).mid(3))) {
      for (const MapEntryPtr &star : stars)
        if (star->id == *hip) {
          results.push_back({starTitle(*star), star});
          break;
        }
    }
    return results;
  }
  const QString q = normalised(query);
  for (const MapEntryPtr &star : stars)
    if (nameContains(*star, q))
      results.push_back({starTitle(*star), star});
  for (const auto *list : {&dsos, &solarsys})
    for (const MapEntryPtr &entry : *list)
      if (nameContains(*entry, q))
        results.push_back({*entry->name, entry});
  return results;
}

}  // namespace LocalSearch
