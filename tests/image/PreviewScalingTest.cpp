#include "image/PreviewScaling.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PreviewScaling, ScalesDownToFitKeepingProportions)
{
    const struct {
        QSize image, frame, expected;
    } cases[] = {
        {{6000, 4000}, {379, 300}, {379, 252}},
        {{4000, 6000}, {379, 300}, {200, 300}},
        {{800, 100}, {379, 300}, {379, 47}},
        {{300, 200}, {379, 300}, {300, 200}}, // never scaled up
        {{1280, 1024}, {379, 300}, {375, 300}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.image.width() << "x" << c.image.height());
        QImage image(c.image, QImage::Format_RGB888);
        image.fill(Qt::gray);
        EXPECT_EQ(PreviewScaling::scaledToFit(image, c.frame).size(), c.expected);
    }
    EXPECT_TRUE(PreviewScaling::scaledToFit(QImage(10, 10, QImage::Format_RGB888), QSize()).isNull());
}

TEST(PreviewScaling, SmoothsWhatItDecimates)
{
    // Alternate black and white columns: a plain decimation picks one of them, a smooth scale
    // averages them to grey.
    QImage stripes(4000, 2000, QImage::Format_RGB888);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < 4; ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    for (int y = 4; y < stripes.height(); ++y)
        std::memcpy(stripes.scanLine(y), stripes.constScanLine(y % 4), size_t(stripes.bytesPerLine()));
    const QImage preview = PreviewScaling::scaledToFit(stripes, QSize(200, 100));
    ASSERT_EQ(preview.size(), QSize(200, 100));
    EXPECT_NEAR(qGray(preview.pixel(100, 50)), 128, 40);
}

TEST(PreviewScaling, BlockAverageAveragesEachBlock)
{
    QImage image(5, 4, QImage::Format_RGB888);
    image.fill(Qt::black);
    image.setPixel(0, 0, qRgb(40, 80, 120));
    image.setPixel(1, 1, qRgb(40, 0, 0));
    image.setPixel(4, 3, qRgb(255, 255, 255)); // beyond the last whole block
    const QImage out = PreviewScaling::blockAverage(image, 2);
    ASSERT_EQ(out.size(), QSize(2, 2));
    EXPECT_EQ(out.pixel(0, 0), qRgb(20, 20, 30));
    EXPECT_EQ(out.pixel(1, 1), qRgb(0, 0, 0));
}
