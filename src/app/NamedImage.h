// Images by name, as the windows and widgets ask for them: "Pin", "Unpin", "Folder", the status
// images "NSStatusAvailable", "NSStatusPartiallyAvailable", "NSStatusUnavailable",
// "NSStatusNone", and "NSBonjour", "NSNetwork". Main thread only.
#pragma once

#include <QIcon>
#include <QString>

// The named image from the icon theme where the desktop has a fitting one, else from the
// program's own resources (":/images/<name>.svg"); a null icon for an unknown name.
QIcon namedImage(const QString &name);

// Makes the program's own images available under ":/images/"; safe to call more than once.
void loadImageResources();
