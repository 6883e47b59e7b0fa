// The serial devices of a device folder, as the port pop-ups list them.
#pragma once

#include <QStringList>

// The paths of the entries ttyUSB*, ttyACM* and ttyS* of the folder, in name order with numbers
// compared as numbers (ttyS2 before ttyS10).
QStringList serialPorts(const QString &folder);
