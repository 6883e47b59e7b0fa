// The image of a BLOB item: made elsewhere from the item's bytes and format, and kept once per
// update, under a lock that is only tried.

#include "ImageFixtures.h"

#include "image/Image.h"
#include "kestor/BLOBItem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <thread>

namespace {

// A BLOB item over bytes held in memory, as the bus library hands them over.
class BlobImage : public testing::Test {
protected:
    void hold(const QByteArray &data, const char *format)
    {
        bytes = data;
        record = kestor_item{};
        std::strncpy(record.blob_format, format, sizeof record.blob_format - 1);
        record.blob_value = bytes.data();
        record.blob_size = bytes.size();
    }

    // The image of the current update as the widgets make it: from the source, kept.
    std::shared_ptr<Image> makeImage()
    {
        const std::optional<KESTOR::BLOBItem::ImageSource> source = item.imageSource();
        if (!source)
            return nullptr;
        if (source->image)
            return source->image;
        auto image = std::make_shared<Image>(source->data, source->format);
        item.keepImage(image, source->update);
        return image;
    }

    QByteArray bytes;
    kestor_item record{};
    KESTOR::BLOBItem item{QStringLiteral("CCD1"), &record};
};

} // namespace

TEST_F(BlobImage, NoDataNoImage)
{
    EXPECT_FALSE(item.imageSource());
}

TEST_F(BlobImage, MadeOncePerUpdate)
{
    hold(fixtures::rawFile("RAW1", 2, 2, fixtures::bytes({1, 2, 3, 4})), ".RAW");
    const std::shared_ptr<Image> first = makeImage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->decoder(), QStringLiteral("raw"));
    EXPECT_EQ(first->format(), QStringLiteral(".raw"));
    EXPECT_EQ(first->width(), 2);
    EXPECT_EQ(makeImage(), first);

    // An image made for an update that is over is not kept.
    const quint64 firstUpdate = item.imageSource()->update;
    hold(fixtures::rawFile("RAW1", 4, 1, fixtures::bytes({1, 2, 3, 4})), ".raw");
    item.rollOver();
    item.keepImage(first, firstUpdate);
    EXPECT_EQ(item.cachedImage, nullptr);
    const std::shared_ptr<Image> second = makeImage();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->width(), 4);
    EXPECT_EQ(item.previousImage, first);
}

TEST_F(BlobImage, UndecodableDataGivesAnEmptyImage)
{
    hold(QByteArray("garbage"), ".fits");
    const std::shared_ptr<Image> image = makeImage();
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->originalImageRep());
}

TEST_F(BlobImage, BusyLockKeepsNothing)
{
    hold(fixtures::rawFile("RAW1", 2, 2, fixtures::bytes({1, 2, 3, 4})), ".raw");
    ASSERT_TRUE(item.value()); // read before another thread takes the lock
    std::promise<void> locked, release;
    std::thread holder([&] {
        std::lock_guard guard(item.lock);
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    EXPECT_NE(makeImage(), nullptr); // made from the cached bytes
    release.set_value();
    holder.join();
    EXPECT_EQ(item.cachedImage, nullptr);
    EXPECT_NE(makeImage(), nullptr);
    EXPECT_NE(item.cachedImage, nullptr);
}
