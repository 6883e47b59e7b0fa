// The address of the program's documentation page.
#pragma once

#include <QString>
#include <QUrl>

// base + name without "-" in lower case + "_" + version, and "#whats_new" when asked for.
// An empty QUrl when the text is not a valid absolute address.
QUrl documentationAddress(const QString &base, const QString &name, const QString &version, bool whatsNew);
