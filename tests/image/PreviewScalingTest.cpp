#include "image/PreviewScaling.h"

#include <gtest/gtest.h>

TEST(PreviewScaling, FitsTheFrameKeepingProportionsNeverLarger)
{
    const struct {
        QSize picture, frame, expected;
    } cases[] = {
        {{6000, 4000}, {379, 300}, {379, 252}},
        {{4000, 6000}, {379, 300}, {200, 300}},
        {{800, 100}, {379, 300}, {379, 47}},
        {{300, 200}, {379, 300}, {300, 200}}, // never scaled up
        {{1280, 1024}, {379, 300}, {375, 300}},
        {{100000, 1}, {379, 300}, {379, 1}},
        {{10, 10}, {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        EXPECT_EQ(PreviewScaling::fittedSize(c.picture, c.frame), c.expected);
    }
}
