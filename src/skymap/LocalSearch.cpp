#include "skymap/LocalSearch.h"

#include "core/StrictNumber.h"

namespace {

QString starTitle(const SkyObject &star) {
  QString title = QStringLiteral("HIP") + QString::number(star.id);
  if (star.hasName()) title += QStringLiteral(", ") + star.nameText();
  return title;
}

bool nameContains(const SkyObject &object, const QString &upperQuery) {
  return object.hasName() && object.nameText().toUpper().contains(upperQuery);
}

SearchResult result(QString title, const SkyObject &object, SkyList list, size_t index) {
  return {std::move(title), std::make_shared<MapEntry>(object, SkyPlace{}, SkyRef{list, uint32_t(index)})};
}

}  // namespace

namespace LocalSearch {

QString normalised(const QString &query) {
  const QString upper = query.toUpper();
  for (const QLatin1StringView prefix : {QLatin1StringView("IC"), QLatin1StringView("NGC"), QLatin1StringView("M")}) {
    if (!upper.startsWith(prefix)) continue;
    if (const std::optional<int32_t> n = StrictNumber::toInt32(QStringView(upper).mid(prefix.size())))
      return prefix + QString::number(*n);
    return upper;
  }
  return upper;
}

std::vector<SearchResult> find(const QString &query, const SkyModel &sky) {
  std::vector<SearchResult> results;
  const QString upper = query.toUpper();
  if (upper.startsWith(QStringLiteral("HIP"))) {
    if (const std::optional<int32_t> hip = StrictNumber::toInt32(QStringView(upper).mid(3))) {
      for (size_t i = 0; i < sky.stars.size(); ++i)
        if (sky.stars[i].id == *hip) {
          results.push_back(result(starTitle(sky.stars[i]), sky.stars[i], SkyList::Stars, i));
          break;
        }
    }
    return results;
  }
  const QString q = normalised(query);
  for (size_t i = 0; i < sky.stars.size(); ++i)
    if (nameContains(sky.stars[i], q))
      results.push_back(result(starTitle(sky.stars[i]), sky.stars[i], SkyList::Stars, i));
  for (const auto &[list, kind] : {std::pair{&sky.deepSky, SkyList::DeepSky}, std::pair{&sky.bodies, SkyList::Bodies}})
    for (size_t i = 0; i < list->size(); ++i)
      if (nameContains((*list)[i], q)) results.push_back(result((*list)[i].nameText(), (*list)[i], kind, i));
  return results;
}

}  // namespace LocalSearch
