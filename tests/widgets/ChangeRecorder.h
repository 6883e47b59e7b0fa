// Takes the place of the library's change calls in a client object and records what the
// widgets send.
#pragma once

#include <QMap>
#include <QString>
#include <vector>

#include "kestor/KESTOR.h"

struct RecordedChange {
  QString function;  // "text", "number" or "switch"
  QString device;
  QString property;
  QMap<QString, QString> texts;
  QMap<QString, double> numbers;
  QMap<QString, bool> switches;
  int count = 0;
};

namespace ChangeRecorder {
// Clears what was recorded and puts the recorder into the client object's entry points.
void install(KESTOR &kestor);
// What was sent so far, once every queued change has reached the entry points.
std::vector<RecordedChange> changes(KESTOR &kestor);
}  // namespace ChangeRecorder
