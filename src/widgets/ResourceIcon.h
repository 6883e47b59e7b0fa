// The program's named images ("Pin", "Unpin", "Folder") from its resources, with a standard
// icon of the style in place of one that is not there.
#pragma once

#include <QIcon>
#include <QString>

QIcon resourceIcon(const QString &name);
