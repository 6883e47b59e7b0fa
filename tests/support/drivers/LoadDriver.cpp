// An INDI driver for the load tests, run by indiserver: it speaks the INDI XML protocol on its
// standard input and output, publishes number updates at a steady rate and sends large images.
//
// Device "Load Simulator", group "Main Control":
//   LOAD_VALUES (number, ro): SEQUENCE, VALUE. Update n (from 1) has SEQUENCE = n, VALUE = sin(n/100).
//   LOAD_PUBLISH (number, rw): RATE, DURATION. Setting it publishes RATE updates of LOAD_VALUES per
//     second for DURATION seconds, paced against the clock (late updates are caught up at once);
//     LOAD_PUBLISH is Busy meanwhile and Ok once the last update is out. SEQUENCE starts at 1 again.
//   IMAGE_SEND (number, rw): WIDTH, HEIGHT, FRAME. Setting it sends one 16-bit FITS image of
//     WIDTH × HEIGHT pixels made in memory on IMAGE (pixel (x, y) = (x + y + FRAME) mod 4096 plus a
//     bright 5 × 5 star at (FRAME mod WIDTH, FRAME mod HEIGHT)), then IMAGE_SEND Ok.
//   IMAGE (BLOB, ro): IMAGE, format ".fits".
#include "DriverSession.h"

#include <chrono>
#include <cmath>

namespace {

using Clock = std::chrono::steady_clock;

DriverSession session("Load Simulator");

QByteArray card(const QByteArray &text) { return text.leftJustified(80, ' ', true); }

// A 16-bit unsigned FITS image (BITPIX 16 with BZERO 32768), header and data padded to 2880 bytes.
QByteArray fitsImage(int width, int height, int frame) {
  QByteArray header = card("SIMPLE  =                    T") + card("BITPIX  =                   16") +
                      card("NAXIS   =                    2") +
                      card("NAXIS1  = " + QByteArray::number(width).rightJustified(20)) +
                      card("NAXIS2  = " + QByteArray::number(height).rightJustified(20)) +
                      card("BZERO   =                32768") + card("BSCALE  =                    1") + card("END");
  header = header.leftJustified((header.size() + 2879) / 2880 * 2880, ' ');
  QByteArray data((qsizetype(width) * height * 2 + 2879) / 2880 * 2880, '\0');
  auto *out = reinterpret_cast<unsigned char *>(data.data());
  const int starX = frame % width, starY = frame % height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool star = std::abs(x - starX) <= 2 && std::abs(y - starY) <= 2;
      const unsigned stored = (star ? 65535u : unsigned(x + y + frame) % 4096u) ^ 0x8000u;  // minus BZERO, big-endian
      const qsizetype at = (qsizetype(y) * width + x) * 2;
      out[at] = static_cast<unsigned char>(stored >> 8);
      out[at + 1] = static_cast<unsigned char>(stored & 0xff);
    }
  }
  return header + data;
}

void sendImage(int width, int height, int frame) {
  session.setNumbers("IMAGE_SEND", "Busy", {{"WIDTH", width}, {"HEIGHT", height}, {"FRAME", frame}});
  const QByteArray fits = fitsImage(width, height, frame);
  session.send("<setBLOBVector device=\"" + session.device +
               "\" name=\"IMAGE\" state=\"Ok\">\n  <oneBLOB name=\"IMAGE\" size=\"" + QByteArray::number(fits.size()) +
               "\" format=\".fits\">\n" + fits.toBase64() + "\n  </oneBLOB>\n</setBLOBVector>\n");
  session.setNumbers("IMAGE_SEND", "Ok", {{"WIDTH", width}, {"HEIGHT", height}, {"FRAME", frame}});
}

// The paced publishing of LOAD_VALUES.
class Publisher {
public:
  void begin(double rate, double duration) {
    rate_ = rate;
    duration_ = duration;
    total_ = rate > 0 && duration > 0 ? static_cast<long>(std::llround(rate * duration)) : 0;
    sent_ = 0;
    start_ = Clock::now();
    session.setNumbers("LOAD_PUBLISH", total_ > 0 ? "Busy" : "Ok", {{"RATE", rate_}, {"DURATION", duration_}});
  }

  // Sends the updates that are due; the milliseconds until the next one, or -1 when idle.
  int run() {
    if (sent_ >= total_) return -1;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    for (const long due = std::min(total_, static_cast<long>(elapsed * rate_) + 1); sent_ < due; ++sent_) {
      const double n = double(sent_ + 1);
      session.setNumbers("LOAD_VALUES", "Ok", {{"SEQUENCE", n}, {"VALUE", std::sin(n / 100)}});
    }
    if (sent_ < total_) return std::max(0, static_cast<int>(std::ceil((double(sent_) / rate_ - elapsed) * 1000)));
    session.setNumbers("LOAD_PUBLISH", "Ok", {{"RATE", rate_}, {"DURATION", duration_}});
    return -1;
  }

private:
  double rate_ = 0, duration_ = 0;
  long total_ = 0, sent_ = 0;
  Clock::time_point start_;
};

}  // namespace

int main() {
  Publisher publisher;
  session.getProperties = [](const QString &) {
    session.defineNumbers("LOAD_VALUES", "ro", {"SEQUENCE", "VALUE"});
    session.defineNumbers("LOAD_PUBLISH", "rw", {"RATE", "DURATION"});
    session.defineNumbers("IMAGE_SEND", "rw", {"WIDTH", "HEIGHT", "FRAME"});
    session.send("<defBLOBVector device=\"" + session.device +
                 "\" name=\"IMAGE\" label=\"Image\" group=\"Main Control\" state=\"Idle\" perm=\"ro\" timeout=\"0\">\n"
                 "  <defBLOB name=\"IMAGE\" label=\"Image\"/>\n</defBLOBVector>\n");
  };
  session.newNumberVector = [&publisher](const QString &vector, const QMap<QString, double> &numbers) {
    if (vector == QLatin1String("LOAD_PUBLISH")) {
      publisher.begin(numbers.value(QStringLiteral("RATE")), numbers.value(QStringLiteral("DURATION")));
    } else if (vector == QLatin1String("IMAGE_SEND")) {
      const int width = static_cast<int>(numbers.value(QStringLiteral("WIDTH")));
      const int height = static_cast<int>(numbers.value(QStringLiteral("HEIGHT")));
      if (width > 0 && height > 0 && qint64(width) * height <= (qint64(1) << 28))
        sendImage(width, height, static_cast<int>(numbers.value(QStringLiteral("FRAME"))));
    }
  };
  session.serve([&publisher] { return publisher.run(); });
}
