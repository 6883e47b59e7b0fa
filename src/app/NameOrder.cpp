#include "app/NameOrder.h"

#include <algorithm>

namespace {

// A UTF-16 unit's weight where two texts first differ: the surrogates, which only scalar values
// above U+FFFF use, weigh more than every unit of the Basic Multilingual Plane.
char16_t scalarWeight(char16_t unit) {
  if (unit >= 0xE000) return char16_t(unit - 0x800);
  if (unit >= 0xD800) return char16_t(unit + 0x2000);
  return unit;
}

}  // namespace

QString nameKey(const QString &name) { return name.normalized(QString::NormalizationForm_C); }

bool keySortsBefore(QStringView a, QStringView b) {
  const auto [left, right] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (right == b.end()) return false;
  if (left == a.end()) return true;
  return scalarWeight(left->unicode()) < scalarWeight(right->unicode());
}

bool sortsByNameBefore(const QString &a, const QString &b) { return keySortsBefore(nameKey(a), nameKey(b)); }

QStringList sortedByName(QStringList names) {
  std::stable_sort(names.begin(), names.end(), sortsByNameBefore);
  return names;
}
