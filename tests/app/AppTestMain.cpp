// Runs the application-shell tests inside a QApplication, with the program's names set and the
// settings in a private scratch folder that is removed afterwards.
#include "ScratchRun.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  const ScratchRun run;
  if (!run.ok()) return 1;
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
