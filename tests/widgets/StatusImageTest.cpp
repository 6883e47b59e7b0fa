#include "widgets/StatusImage.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QRgb centre(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    return image.pixel(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(StatusImage, EachStateHasItsOwnDot)
{
    const QPixmap none = statusImage(0);
    ASSERT_FALSE(none.isNull());
    EXPECT_EQ(none.deviceIndependentSize(), QSizeF(16, 16));
    EXPECT_EQ(centre(statusImage(4)), centre(none));
    EXPECT_EQ(centre(statusImage(-1)), centre(none));
    const QRgb available = centre(statusImage(1));
    const QRgb partial = centre(statusImage(2));
    const QRgb unavailable = centre(statusImage(3));
    EXPECT_GT(qGreen(available), qRed(available));
    EXPECT_GT(qRed(unavailable), qGreen(unavailable));
    EXPECT_GT(qRed(partial), qBlue(partial));
    EXPECT_GT(qGreen(partial), qBlue(partial));
    EXPECT_NE(available, centre(none));
}

TEST(StatusImage, NamesWithoutAnImageGiveNothing)
{
    EXPECT_FALSE(namedStatusImage(QStringLiteral("NSStatusAvailable")).isNull());
    EXPECT_TRUE(namedStatusImage(QStringLiteral("NSNoSuchImage")).isNull());
}
