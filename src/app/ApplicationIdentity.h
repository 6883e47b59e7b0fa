// The program's names as the desktop and the settings store know them.
#pragma once

#include <QString>

namespace ApplicationIdentity {

// The organisation part of a reverse-DNS identifier: "org.kestor.kestor-panel" gives "kestor";
// an identifier without one gives the identifier itself.
QString organizationName(const QString &identifier);

// Sets the organisation, application name and version and the desktop file name from the
// program's bundle identity. Must run before the first settings are read.
void apply();

}  // namespace ApplicationIdentity
