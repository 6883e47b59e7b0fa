// A short run of the load program (bench/load): 1,000 number updates per second for 5 s, and
// four 50 MB images in a row, through indiserver into the shown control panel, held to the
// same goals.
#include "BlobLoad.h"
#include "LoadPanel.h"
#include "UpdateLoad.h"

#include <gtest/gtest.h>

#include <iostream>

namespace {

TEST(Load, AThousandUpdatesPerSecondLeaveTheMainThreadResponsiveAndMemoryFlat) {
  LoadPanel panel;
  ASSERT_TRUE(panel.ok()) << panel.failure().toStdString();
  const UpdateFigures figures = runUpdateLoad(panel, 1000, 5);
  std::cout << figures.summary().toStdString() << std::endl;
  EXPECT_TRUE(figures.misses().isEmpty()) << figures.misses().join(QStringLiteral("; ")).toStdString();
  EXPECT_GT(figures.delivered, 0);
}

TEST(Load, LargeImagesInARowEachShowAPreviewAndLeaveNoMemoryBehind) {
  LoadPanel panel;
  ASSERT_TRUE(panel.ok()) << panel.failure().toStdString();
  const BlobFigures figures = runBlobLoad(panel, 4, 5000, 5000);  // 50 MB of 16-bit pixels each
  std::cout << figures.summary().toStdString() << std::endl;
  EXPECT_TRUE(figures.misses().isEmpty()) << figures.misses().join(QStringLiteral("; ")).toStdString();
}

}  // namespace
