#include "ImageFixtures.h"

#include <fitsio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace fixtures {

namespace {

void appendLittleEndian32(QByteArray &out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

} // namespace

QByteArray rawFile(const char *signature, uint32_t width, uint32_t height, const QByteArray &pixels)
{
    QByteArray out(signature, 4);
    appendLittleEndian32(out, width);
    appendLittleEndian32(out, height);
    return out + pixels;
}

QByteArray fitsFile(int imageType, const std::vector<long> &axes, int dataType, const void *pixels)
{
    void *memory = std::malloc(2880);
    size_t memorySize = 2880;
    fitsfile *file = nullptr;
    int status = 0;
    fits_create_memfile(&file, &memory, &memorySize, 2880, std::realloc, &status);
    std::vector<long> naxes = axes;
    fits_create_img(file, imageType, int(naxes.size()), naxes.data(), &status);
    LONGLONG count = axes.empty() ? 0 : 1;
    for (long axis : axes)
        count *= axis;
    std::vector<long> first(axes.size(), 1);
    if (count > 0)
        fits_write_pix(file, dataType, first.data(), count, const_cast<void *>(pixels), &status);
    // cfitsio's memory file grows in steps: the file ends where the image's padded data ends.
    fits_flush_file(file, &status);
    LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
    fits_get_hduaddrll(file, &headStart, &dataStart, &dataEnd, &status);
    fits_close_file(file, &status);
    if (status != 0 || size_t(dataEnd) > memorySize)
        throw std::runtime_error("cfitsio could not write the fixture: status " + std::to_string(status));
    QByteArray out(static_cast<const char *>(memory), qsizetype(dataEnd));
    std::free(memory);
    return out;
}

QByteArray xisfFile(const QString &elements, qsizetype offset, const QByteArray &block)
{
    const QByteArray header = ("<?xml version=\"1.0\" encoding=\"UTF-8\"?><xisf version=\"1.0\">" + elements +
                               "</xisf>").toUtf8();
    QByteArray out("XISF0100");
    appendLittleEndian32(out, uint32_t(header.size()));
    appendLittleEndian32(out, 0);
    out += header;
    if (out.size() < offset)
        out.append(offset - out.size(), '\0');
    return out + block;
}

Bitmap bitmapOver(const std::vector<uint8_t> &pixels, int64_t width, int64_t height, int bitsPerSample,
                  int samplesPerPixel, int bitsPerPixel, int64_t bytesPerRow)
{
    Bitmap bitmap = Bitmap::packed(width, height, bitsPerSample, samplesPerPixel, pixels.data(), nullptr);
    if (bitsPerPixel) {
        bitmap.bitsPerPixel = bitsPerPixel;
        bitmap.bytesPerRow = width * bitsPerPixel / 8;
    }
    if (bytesPerRow)
        bitmap.bytesPerRow = bytesPerRow;
    return bitmap;
}

void expectNoBitmap(const DecodeResult &result)
{
    EXPECT_FALSE(result.bitmap);
    EXPECT_FALSE(result.reason.isEmpty());
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out.append(char(value));
    return out;
}

} // namespace fixtures
