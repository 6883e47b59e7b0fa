// Memory follows the live properties: while a server's BLOB arrives, and after the server ends.
#include "support/BusMemory.h"
#include "support/ResidentMemory.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace test_support;

namespace {

TEST(KestorMemory, ResidentMemoryComesBackWhenTheServerEnds) {
  // Under the sanitizers the figures mean nothing, and a coverage build is too slow for the full
  // sizes: there the same scripts run smaller, for their checks.
#ifdef KESTOR_COVERAGE
  const bool fullSize = false;
#else
  const bool fullSize = RESIDENT_MEMORY_MEANINGFUL;
#endif
  const size_t scale = fullSize ? 1 : 20;
  const struct {
    BusScript script;
    size_t amount;
    double peakPayloads;  // highest resident memory above the start, in payloads; 0: not held to one
  } cases[] = {
      {BusScript::LargeBlob, size_t(400) << 20, 1.5},
      {BusScript::ManyProperties, 150000, 0},
  };
  for (const auto &c : cases) {
    const BusMemoryFigures figures = runBusScript(c.script, c.amount / scale);
    ASSERT_TRUE(figures.failure.empty()) << figures.failure;
    std::cout << figures.summary() << std::endl;
    if (!fullSize) continue;
    EXPECT_LE(figures.afterMB - figures.beforeMB, 20) << figures.summary();
    if (c.peakPayloads > 0) {
      EXPECT_LE(figures.peakMB - figures.beforeMB, c.peakPayloads * megabytes(int64_t(c.amount)));
    }
  }
}

}  // namespace
