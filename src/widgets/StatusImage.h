#pragma once
// The status icons of property states and lights: coloured dots drawn by the program itself,
// looked up by their names. GUI thread only.

#include <QPixmap>
#include <QString>

// 1 "NSStatusAvailable" (green), 2 "NSStatusPartiallyAvailable" (yellow),
// 3 "NSStatusUnavailable" (red), any other state "NSStatusNone" (grey).
QPixmap statusImage(int state);

// The named status image; a null pixmap for a name that has no image.
QPixmap namedStatusImage(const QString &name);
