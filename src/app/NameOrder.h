// The order of names in the outline and on the control-panel board: by Unicode scalar values
// after canonical composition, so case-sensitive with capitals first, and not locale-aware.
#pragma once

#include <QString>
#include <QStringList>

// True when a sorts before b.
bool sortsByNameBefore(const QString &a, const QString &b);
// The names in ascending order.
QStringList sortedByName(QStringList names);
