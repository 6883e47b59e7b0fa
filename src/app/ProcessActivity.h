// The token of a process activity begun at launch. The desktop has no application napping to
// hold off, so the token only records why it was taken.
#pragma once

#include <QString>

struct ProcessActivity {
  QString reason;
};
