// A real frame from the CCD simulator: a few lines of the protocol on a socket connect the camera
// and take a 1 s exposure, and the FITS BLOB that comes back is decoded as the panel decodes it.
#include "ImageFixtures.h"
#include "image/Image.h"
#include "support/IndiServer.h"

#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SimulatorFITS, CameraFrameDecodesTo1280x1024SixteenBit) {
  test_support::IndiServer server({"indi_simulator_ccd"});
  ASSERT_TRUE(server.start()) << server.log();
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(server.port()));
  ASSERT_TRUE(socket.waitForConnected(5000));
  QByteArray stream;
  const auto receivedWithin = [&](const char *text, int timeoutMs) {
    return QTest::qWaitFor([&] { return (stream += socket.readAll()).contains(text); }, timeoutMs);
  };
  socket.write(R"(<getProperties version="1.7"/><enableBLOB device="CCD Simulator">Also</enableBLOB>)");
  ASSERT_TRUE(receivedWithin(R"(name="CONNECTION")", 30000)) << server.log();  // the server knows the device now
  socket.write(
      R"(<newSwitchVector device="CCD Simulator" name="CONNECTION"><oneSwitch name="CONNECT">On</oneSwitch></newSwitchVector>)");
  ASSERT_TRUE(receivedWithin(R"(name="CCD_EXPOSURE")", 30000)) << server.log();  // defined once connected
  socket.write(
      R"(<newNumberVector device="CCD Simulator" name="CCD_EXPOSURE"><oneNumber name="CCD_EXPOSURE_VALUE">1</oneNumber></newNumberVector>)");
  ASSERT_TRUE(receivedWithin("</oneBLOB>", 30000)) << server.log();
  const qsizetype element = stream.indexOf("<oneBLOB"), start = stream.indexOf('>', element) + 1;
  EXPECT_TRUE(stream.mid(element, start - element).contains(R"(format=".fits")"));
  const QByteArray fits = QByteArray::fromBase64(stream.mid(start, stream.indexOf("</oneBLOB>") - start));
  EXPECT_EQ(fits.size() % 2880, 0);

  Image image(fits, QStringLiteral(".fits"));
  ASSERT_TRUE(image.originalImageRep()) << image.failureReason().toStdString();
  EXPECT_EQ(image.decoder(), QStringLiteral("fits"));
  EXPECT_EQ(std::tuple(image.width(), image.height(), image.bitsPerPixel()), std::tuple(1280, 1024, 16));
  ASSERT_TRUE(image.imageStatistics());
  EXPECT_LE(image.autoBlackPoint(), image.autoWhitePoint());
  image.setBlackPoint(image.autoBlackPoint());
  image.setWhitePoint(image.autoWhitePoint());
  EXPECT_EQ(image.image().size(), QSize(1280, 1024));
  EXPECT_FALSE(Image(fits.chopped(2880), QStringLiteral(".fits")).originalImageRep());  // cut short: no image

  // Tile-compressed as fpack does, the frame decodes to the same picture.
  Image packed(fixtures::fpacked(fits), QStringLiteral(".fits.fz"));
  ASSERT_TRUE(packed.originalImageRep()) << packed.failureReason().toStdString();
  const ImageStatistics &a = *packed.imageStatistics(), &b = *image.imageStatistics();
  EXPECT_EQ(std::tie(a.min, a.max, a.average, a.median, a.histo), std::tie(b.min, b.max, b.average, b.median, b.histo));
}

}  // namespace
