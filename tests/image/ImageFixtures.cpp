#include "ImageFixtures.h"

#include <fitsio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

namespace fixtures {

namespace {

void appendLittleEndian(QByteArray &out, uint32_t value, int bytes)
{
    for (int shift = 0; shift < 8 * bytes; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

void appendLittleEndian32(QByteArray &out, uint32_t value)
{
    appendLittleEndian(out, value, 4);
}

// One TIFF directory entry: a value of up to four bytes in place, else at an offset.
struct TiffEntry {
    uint16_t tag;
    uint16_t type; // 1 byte, 2 ASCII, 3 short, 4 long, 10 signed rational
    uint32_t count;
    QByteArray value;
};

} // namespace

QByteArray rawFile(const char *signature, uint32_t width, uint32_t height, const QByteArray &pixels)
{
    QByteArray out(signature, 4);
    appendLittleEndian32(out, width);
    appendLittleEndian32(out, height);
    return out + pixels;
}

namespace {

// A FITS file that `write` fills in cfitsio's memory; it ends where the last unit's padded data
// ends (the memory file grows in steps).
QByteArray writtenFits(const std::function<void(fitsfile *, int &)> &write)
{
    void *memory = std::malloc(2880);
    size_t memorySize = 2880;
    fitsfile *file = nullptr;
    int status = 0;
    fits_create_memfile(&file, &memory, &memorySize, 2880, std::realloc, &status);
    write(file, status);
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

} // namespace

QByteArray fitsFile(int imageType, const std::vector<long> &axes, int dataType, const void *pixels)
{
    return writtenFits([&](fitsfile *file, int &status) {
        std::vector<long> naxes = axes;
        fits_create_img(file, imageType, int(naxes.size()), naxes.data(), &status);
        LONGLONG count = axes.empty() ? 0 : 1;
        for (long axis : axes)
            count *= axis;
        std::vector<long> first(axes.size(), 1);
        if (count > 0)
            fits_write_pix(file, dataType, first.data(), count, const_cast<void *>(pixels), &status);
    });
}

QByteArray fpacked(const QByteArray &fits)
{
    return writtenFits([&](fitsfile *out, int &status) {
        void *input = const_cast<char *>(fits.constData());
        size_t inputSize = size_t(fits.size());
        fitsfile *in = nullptr;
        fits_open_memfile(&in, "", READONLY, &input, &inputSize, 0, nullptr, &status);
        fits_create_img(out, BYTE_IMG, 0, nullptr, &status);
        fits_set_compression_type(out, RICE_1, &status);
        fits_img_compress(in, out, &status);
        fits_close_file(in, &status);
    });
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

QByteArray dngFile(uint16_t width, uint16_t height)
{
    QByteArray pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            appendLittleEndian(pixels, uint32_t(1000 + 40 * x + 20 * y + ((x / 8 + y / 8) % 2 ? 2000 : 0)), 2);
    QByteArray identity;
    for (int i = 0; i < 9; ++i) {
        appendLittleEndian32(identity, i % 4 == 0 ? 10000 : 0);
        appendLittleEndian32(identity, 10000);
    }
    const auto number = [](uint32_t value, int bytes) {
        QByteArray out;
        appendLittleEndian(out, value, bytes);
        return out;
    };
    const std::vector<TiffEntry> entries = {
        {254, 4, 1, number(0, 4)},                            // NewSubFileType: the main image
        {256, 4, 1, number(width, 4)},                        // ImageWidth
        {257, 4, 1, number(height, 4)},                       // ImageLength
        {258, 3, 1, number(16, 2)},                           // BitsPerSample
        {259, 3, 1, number(1, 2)},                            // Compression: none
        {262, 3, 1, number(32803, 2)},                        // PhotometricInterpretation: CFA
        {271, 2, 7, QByteArray("Kestor", 7)},                 // Make
        {272, 2, 5, QByteArray("Test", 5)},                   // Model
        {273, 4, 1, {}},                                      // StripOffsets, filled in below
        {277, 3, 1, number(1, 2)},                            // SamplesPerPixel
        {278, 4, 1, number(height, 4)},                       // RowsPerStrip
        {279, 4, 1, number(uint32_t(pixels.size()), 4)},      // StripByteCounts
        {284, 3, 1, number(1, 2)},                            // PlanarConfiguration
        {33421, 3, 2, number(2 | 2 << 16, 4)},                // CFARepeatPatternDim 2 x 2
        {33422, 1, 4, QByteArray("\0\1\1\2", 4)},            // CFAPattern RGGB
        {50706, 1, 4, QByteArray("\1\4\0\0", 4)},            // DNGVersion 1.4
        {50708, 2, 12, QByteArray("Kestor Test", 12)},        // UniqueCameraModel
        {50721, 10, 9, identity},                             // ColorMatrix1
    };
    const uint32_t directorySize = 2 + 12 * uint32_t(entries.size()) + 4;
    QByteArray directory, values;
    appendLittleEndian(directory, uint32_t(entries.size()), 2);
    const auto valuesStart = 8 + directorySize;
    uint32_t pixelsAt = 0;
    for (const TiffEntry &entry : entries) {
        appendLittleEndian(directory, entry.tag, 2);
        appendLittleEndian(directory, entry.type, 2);
        appendLittleEndian32(directory, entry.count);
        if (entry.tag == 273) {
            pixelsAt = uint32_t(directory.size()); // patched once the values' size is known
            appendLittleEndian32(directory, 0);
        } else if (entry.value.size() <= 4) {
            directory += entry.value.leftJustified(4, '\0');
        } else {
            appendLittleEndian32(directory, uint32_t(valuesStart + values.size()));
            values += entry.value;
            if (values.size() % 2)
                values.append('\0');
        }
    }
    appendLittleEndian32(directory, 0); // no further directory
    const QByteArray offset = number(uint32_t(valuesStart + values.size()), 4);
    directory.replace(pixelsAt, 4, offset);
    return QByteArray("II*\0\x08\0\0\0", 8) + directory + values + pixels;
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
