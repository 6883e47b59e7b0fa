// The order of names in the outline and on the control-panel board: by Unicode scalar values
// after canonical composition, so case-sensitive with capitals first, and not locale-aware.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The key a name sorts by: its canonical composition (the name itself, shared, when it is
// composed already). Computing it once per name makes each comparison a plain scan.
QString nameKey(const QString &name);
// True when the name of key a sorts before the name of key b: their scalar values compared.
bool keySortsBefore(QStringView a, QStringView b);
// True when a sorts before b.
bool sortsByNameBefore(const QString &a, const QString &b);
// The names in ascending order.
QStringList sortedByName(QStringList names);
