// The pixel buffer made ready for a frame on its way: what it costs while the frame is expected,
// and nothing once the frame has ended, however many expectations come at once.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <utility>

#include "image/PixelBuffers.h"
#include "support/ResidentMemory.h"

namespace {

constexpr int64_t MIB = int64_t(1) << 20;

double residentMiB() { return test_support::megabytes(test_support::residentBytes()); }

template <typename Condition>
bool within5s(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Whether resident memory comes within a few MiB of `target` in the next five seconds.
bool settlesAt(double target) {
  return within5s([&] { return std::fabs(residentMiB() - target) <= 4; });
}

bool ready(int64_t bytes) {
  return within5s([&] { return PixelBuffers::expectedBytes() == bytes; });
}

class PixelBufferExpectation : public ::testing::Test {
protected:
  void SetUp() override {
    if (!test_support::RESIDENT_MEMORY_MEANINGFUL) GTEST_SKIP() << "resident memory means nothing under a sanitizer";
    // What the tests before left to the pool's threads ends first.
    double before = residentMiB();
    within5s([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const double now = residentMiB();
      return std::fabs(std::exchange(before, now) - now) < 1;
    });
    start = before;
  }
  double start = 0;
};

TEST_F(PixelBufferExpectation, CostsItsSizeUntilTheFrameEnds) {
  EXPECT_EQ(PixelBuffers::expect(MIB), 0u);  // small frames make their own at once
  const uint64_t ticket = PixelBuffers::expect(64 * MIB);
  ASSERT_NE(ticket, 0u);
  ASSERT_TRUE(ready(64 * MIB));
  EXPECT_TRUE(settlesAt(start + 64)) << residentMiB() - start;
  PixelBuffers::forget(ticket);
  EXPECT_TRUE(settlesAt(start)) << residentMiB() - start;
  PixelBuffers::forget(ticket);  // once is enough
}

// A buffer made and not taken by the time the next frame is half there was not made for frames
// that use these buffers: given back, and none made for the next.
TEST_F(PixelBufferExpectation, AnUntakenBufferIsGivenBackByTheNextExpectation) {
  const uint64_t first = PixelBuffers::expect(64 * MIB);
  ASSERT_TRUE(ready(64 * MIB));
  EXPECT_EQ(PixelBuffers::expect(64 * MIB), 0u);
  EXPECT_EQ(PixelBuffers::expectedBytes(), 0);
  EXPECT_TRUE(settlesAt(start)) << residentMiB() - start;
  PixelBuffers::forget(first);
}

TEST_F(PixelBufferExpectation, ManyAtOnceMakeOneBufferAtATime) {
  ASSERT_TRUE(test_support::resetPeak());
  uint64_t tickets[8] = {};
  for (uint64_t &ticket : tickets) ticket = PixelBuffers::expect(256 * MIB);
  std::this_thread::sleep_for(std::chrono::seconds(1));  // for all the pool would make
  const double peak = test_support::megabytes(test_support::peakResidentBytes());
  EXPECT_LE(peak - start, 256 + 16);
  for (const uint64_t ticket : tickets) PixelBuffers::forget(ticket);
  EXPECT_TRUE(settlesAt(start)) << residentMiB() - start;
}

TEST_F(PixelBufferExpectation, FramesInUseLeaveTheirBuffersForTheNext) {
  {
    const auto frame = PixelBuffers::take(64 * MIB);
    ASSERT_TRUE(frame);
    EXPECT_EQ(PixelBuffers::expect(64 * MIB), 0u);
  }
  EXPECT_TRUE(settlesAt(start)) << residentMiB() - start;
}

}  // namespace
