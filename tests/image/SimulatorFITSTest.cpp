// A real frame from the CCD simulator: a small INDI client on a socket connects the camera,
// takes a 1 s exposure, and the FITS BLOB that comes back is decoded as the panel decodes it.

#include "ImageFixtures.h"
#include "image/Image.h"
#include "image/ImageRepRegistry.h"
#include "support/IndiServer.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

const QString DEVICE = QStringLiteral("CCD Simulator");

struct Blob {
    QByteArray data;
    QString format;
};

// Reads the server's stream until the first BLOB of the camera has arrived: connects the camera
// once it has defined its connection, and exposes once it has defined its exposure after that.
std::optional<Blob> exposeAndReceive(QTcpSocket &socket, int timeoutMs)
{
    QXmlStreamReader xml;
    xml.addData("<stream>"); // the protocol's stream has no root element of its own
    bool connecting = false;
    bool exposed = false;
    bool inBlob = false;
    Blob blob;
    QByteArray base64;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (!socket.waitForReadyRead(200))
            continue;
        xml.addData(socket.readAll());
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (xml.hasError()) {
                if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                    return std::nullopt;
                break;
            }
            const QXmlStreamAttributes attributes = xml.attributes();
            const bool ours = attributes.value(QLatin1String("device")) == DEVICE;
            const QStringView property = attributes.value(QLatin1String("name"));
            if (token == QXmlStreamReader::StartElement && xml.name() == u"defSwitchVector" && !connecting && ours &&
                property == u"CONNECTION") {
                socket.write("<newSwitchVector device=\"CCD Simulator\" name=\"CONNECTION\">"
                             "<oneSwitch name=\"CONNECT\">On</oneSwitch></newSwitchVector>\n");
                connecting = true;
            } else if (token == QXmlStreamReader::StartElement && xml.name() == u"defNumberVector" && connecting &&
                       !exposed && ours && property == u"CCD_EXPOSURE") {
                socket.write("<newNumberVector device=\"CCD Simulator\" name=\"CCD_EXPOSURE\">"
                             "<oneNumber name=\"CCD_EXPOSURE_VALUE\">1</oneNumber></newNumberVector>\n");
                exposed = true;
            } else if (token == QXmlStreamReader::StartElement && xml.name() == u"oneBLOB" && exposed) {
                inBlob = true;
                blob.format = attributes.value(QLatin1String("format")).toString();
            } else if (token == QXmlStreamReader::Characters && inBlob) {
                base64 += xml.text().toLatin1();
            } else if (token == QXmlStreamReader::EndElement && inBlob) {
                blob.data = QByteArray::fromBase64(base64);
                return blob;
            }
        }
    }
    return std::nullopt;
}

} // namespace

TEST(SimulatorFITS, CameraFrameDecodesTo1280x1024SixteenBit)
{
    test_support::IndiServer server({"indi_simulator_ccd"});
    ASSERT_TRUE(server.start()) << server.log();
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(server.port()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("<getProperties version=\"1.7\"/>\n<enableBLOB device=\"CCD Simulator\">Also</enableBLOB>\n");

    const std::optional<Blob> blob = exposeAndReceive(socket, 30000);
    ASSERT_TRUE(blob) << server.log();
    EXPECT_EQ(blob->format, QStringLiteral(".fits"));
    EXPECT_EQ(blob->data.size() % 2880, 0);

    ImageRepRegistry::registerImageRepClasses();
    Image image(blob->data, blob->format);
    ASSERT_TRUE(image.originalImageRep()) << image.failureReason().toStdString();
    EXPECT_EQ(image.decoder(), QStringLiteral("fits"));
    EXPECT_EQ(image.width(), 1280);
    EXPECT_EQ(image.height(), 1024);
    EXPECT_EQ(image.originalImageRep()->bitsPerSample, 16);
    EXPECT_EQ(image.originalImageRep()->samplesPerPixel, 1);
    ASSERT_TRUE(image.imageStatistics());
    EXPECT_LE(image.autoBlackPoint(), image.autoWhitePoint());
    image.setBlackPoint(image.autoBlackPoint());
    image.setWhitePoint(image.autoWhitePoint());
    EXPECT_EQ(image.image().size(), QSize(1280, 1024));
    // The same bytes cut short give no image.
    EXPECT_FALSE(Image(blob->data.chopped(2880), blob->format).originalImageRep());

    // Tile-compressed as fpack does, the frame decodes to the same picture.
    Image packed(fixtures::fpacked(blob->data), QStringLiteral(".fits.fz"));
    ASSERT_TRUE(packed.originalImageRep()) << packed.failureReason().toStdString();
    EXPECT_EQ(packed.width(), 1280);
    const ImageStatistics &a = *packed.imageStatistics(), &b = *image.imageStatistics();
    EXPECT_EQ(std::tie(a.min, a.max, a.average, a.median, a.histo), std::tie(b.min, b.max, b.average, b.median, b.histo));
}
