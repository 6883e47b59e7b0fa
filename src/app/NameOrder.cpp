#include "app/NameOrder.h"

#include <algorithm>

bool sortsByNameBefore(const QString &a, const QString &b) {
  const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
  const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

QStringList sortedByName(QStringList names) {
  std::stable_sort(names.begin(), names.end(), sortsByNameBefore);
  return names;
}
