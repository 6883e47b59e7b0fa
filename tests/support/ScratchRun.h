// The start of a program run on the windows of the application (tests and benchmarks): the
// offscreen platform unless QT_QPA_PLATFORM names one, HOME and the settings in a scratch folder
// removed with this object, and the program's names set as at launch. Make it before the
// QApplication and keep it until the end of main.
#pragma once

#include <QTemporaryDir>

class ScratchRun {
public:
  ScratchRun();
  // False when the scratch folder could not be made (nothing else was changed then).
  bool ok() const { return scratch.isValid(); }

private:
  QTemporaryDir scratch;
};
