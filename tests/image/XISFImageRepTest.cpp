#include "ImageFixtures.h"

#include "image/XISFImageRep.h"

#include <gtest/gtest.h>

using fixtures::bytes;
using fixtures::xisfFile;

namespace {

QByteArray counting(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(i + 1));
    return out;
}

} // namespace

TEST(XISFImageRep, ClaimsDataBeginningWithTheSignature)
{
    EXPECT_TRUE(XISFImageRep::canInitWithData("XISF0100"));
    EXPECT_FALSE(XISFImageRep::canInitWithData("XISF010"));
    EXPECT_FALSE(XISFImageRep::canInitWithData("XISF0200...."));
}

TEST(XISFImageRep, SixteenBitGreyPointsIntoTheAttachment)
{
    const QByteArray file =
        xisfFile(R"(<Image geometry="4:2:1" sampleFormat="UInt16" location="attachment:256:16"/>)", 256, counting(16));
    ASSERT_EQ(file.size(), 272);
    const DecodeResult result = XISFImageRep::imageRepsWithData(file);
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->width, 4);
    EXPECT_EQ(result.bitmap->height, 2);
    EXPECT_EQ(result.bitmap->bitsPerSample, 16);
    EXPECT_EQ(result.bitmap->bytesPerRow, 8);
    EXPECT_EQ(result.bitmap->pixels, reinterpret_cast<const uint8_t *>(file.constData()) + 256);
    EXPECT_FALSE(XISFImageRep::imageRepsWithData(file.chopped(1)).bitmap);
}

TEST(XISFImageRep, ReadsTheHeaderAsTheFormatDescribes)
{
    const struct {
        const char *name;
        QString elements;
        int64_t width, height, bitsPerPixel;
    } cases[] = {
        {"empty geometry pieces dropped", R"(<Image geometry="4::2:1" sampleFormat="UInt8" location="attachment:512:8"/>)", 4, 2, 8},
        {"interleaved colour", R"(<Image geometry="2:2:3" sampleFormat="UInt8" pixelStorage="Normal" location="attachment:512:12"/>)", 2, 2, 24},
        {"two 8-bit channels read as 16-bit grey", R"(<Image geometry="2:2:2" sampleFormat="UInt8" pixelStorage="Normal" location="attachment:512:8"/>)", 2, 2, 16},
        {"two planar 8-bit channels read as 16-bit grey", R"(<Image geometry="2:2:2" sampleFormat="UInt8" location="attachment:512:8"/>)", 2, 2, 16},
        {"second element's geometry wins", R"(<Image geometry="8:8:1" sampleFormat="UInt8" location="attachment:512:64"/><Image geometry="2:3:1"/>)", 2, 3, 8},
        {"XML that breaks off after the element", R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/><Broken <<)", 2, 2, 8},
        {"plus sign before a number", R"(<Image geometry="+2:2:1" sampleFormat="UInt8" location="attachment:512"/>)", 2, 2, 8},
        {"little-endian stated", R"(<Image geometry="2:2:1" sampleFormat="UInt16" byteOrder="little" location="attachment:512:8"/>)", 2, 2, 16},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodeResult result = XISFImageRep::imageRepsWithData(xisfFile(c.elements, 512, counting(64)));
        ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
        EXPECT_EQ(result.bitmap->width, c.width);
        EXPECT_EQ(result.bitmap->height, c.height);
        EXPECT_EQ(result.bitmap->bitsPerPixel, c.bitsPerPixel);
    }
}

TEST(XISFImageRep, PlanarColourIsInterleaved)
{
    // Default storage is planar: all red samples, then all green, then all blue.
    const QByteArray file = xisfFile(R"(<Image geometry="2:1:3" sampleFormat="UInt8" location="attachment:512:6"/>)",
                                     512, bytes({10, 11, 20, 21, 30, 31}));
    const DecodeResult result = XISFImageRep::imageRepsWithData(file);
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->colourSpace, Bitmap::ColourSpace::RGB);
    EXPECT_EQ(std::vector<uint8_t>(result.bitmap->pixels, result.bitmap->pixels + 6),
              std::vector<uint8_t>({10, 20, 30, 11, 21, 31}));
}

TEST(XISFImageRep, RefusesWhatItCannotShow)
{
    const struct {
        const char *name;
        QString elements;
    } cases[] = {
        {"no Image element", R"(<Metadata/>)"},
        {"prefixed element", R"(<x:Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)"},
        {"Float32 samples", R"(<Image geometry="2:2:1" sampleFormat="Float32" location="attachment:512:16"/>)"},
        {"three 16-bit channels", R"(<Image geometry="2:2:3" sampleFormat="UInt16" pixelStorage="Normal" location="attachment:512:24"/>)"},
        {"geometry of two pieces", R"(<Image geometry="2:2" sampleFormat="UInt8" location="attachment:512:4"/>)"},
        {"short geometry after a full one", R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/><Image geometry="2"/>)"},
        {"empty location", R"(<Image geometry="2:2:1" sampleFormat="UInt8" location=":"/>)"},
        {"attachment without position", R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment"/>)"},
        {"inline data", R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="inline:base64">AQIDBA==</Image>)"},
        {"external URL", R"x(<Image geometry="2:2:1" sampleFormat="UInt8" location="url(http://127.0.0.1/x.xisb)"/>)x"},
        {"external path", R"x(<Image geometry="2:2:1" sampleFormat="UInt8" location="path(/etc/passwd)"/>)x"},
        {"compressed block", R"(<Image geometry="2:2:1" sampleFormat="UInt8" compression="zlib:4" location="attachment:512:4"/>)"},
        {"big-endian 16-bit", R"(<Image geometry="2:2:1" sampleFormat="UInt16" byteOrder="big" location="attachment:512:8"/>)"},
        {"attachment smaller than the image", R"(<Image geometry="4:4:1" sampleFormat="UInt8" location="attachment:512:15"/>)"},
        {"negative width", R"(<Image geometry="-2:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)"},
        {"number with trailing text", R"(<Image geometry="2x:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)"},
        {"sign after plus", R"(<Image geometry="+-2:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)"},
        {"offset past the data", R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:9999:4"/>)"},
        {"dimensions that overflow", R"(<Image geometry="4294967296:4294967296:3" sampleFormat="UInt8" pixelStorage="Normal" location="attachment:512"/>)"},
        {"channels that overflow", R"(<Image geometry="1:1:9223372036854775807" sampleFormat="UInt16" location="attachment:512"/>)"},
        {"number out of range", R"(<Image geometry="99999999999999999999:1:1" sampleFormat="UInt8" location="attachment:512"/>)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fixtures::expectNoBitmap(XISFImageRep::imageRepsWithData(xisfFile(c.elements, 512, counting(64))));
    }
}

TEST(XISFImageRep, RefusesTruncatedPreambleAndHeader)
{
    const QByteArray file =
        xisfFile(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)", 512, counting(4));
    EXPECT_TRUE(XISFImageRep::imageRepsWithData(file).bitmap);
    EXPECT_FALSE(XISFImageRep::imageRepsWithData(file.left(12)).bitmap);
    EXPECT_FALSE(XISFImageRep::imageRepsWithData(file.left(15)).bitmap);
    QByteArray longHeader = file;
    longHeader[11] = char(0x7f); // header length far beyond the data
    EXPECT_FALSE(XISFImageRep::imageRepsWithData(longHeader).bitmap);
}

TEST(XISFImageRep, LaterElementKeepsAnEarlierOffset)
{
    const QByteArray file = xisfFile(
        R"(<Image geometry="8:8:1" sampleFormat="UInt8" location="attachment:512:64"/><Image geometry="2:1:1"/>)", 512,
        bytes({42, 43}));
    const DecodeResult result = XISFImageRep::imageRepsWithData(file);
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->pixels[0], 42);
}
