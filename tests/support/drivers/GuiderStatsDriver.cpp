// A small INDI driver for the tests, run by indiserver: it speaks the INDI XML protocol on its
// standard input and output and publishes guider statistics.
//
// Device "Guider Stats Simulator":
//   AGENT_GUIDER_STATS (number, ro): FRAME, DRIFT_X, DRIFT_Y, DRIFT_RA, DRIFT_DEC, CORR_RA, CORR_DEC
//   GUIDER_STATS_PUBLISH (number, rw): COUNT, FIRST_FRAME. Setting it publishes COUNT samples
//     with frames FIRST_FRAME, FIRST_FRAME + 1, ...; sample f has
//     DRIFT_X = f/100 cos(f/10), DRIFT_Y = f/100 sin(f/10), DRIFT_RA = 2 DRIFT_X, DRIFT_DEC = 2 DRIFT_Y,
//     CORR_RA = -DRIFT_X, CORR_DEC = -DRIFT_Y.
#include "ClientMessages.h"

#include <QByteArray>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

const char *DEVICE = "Guider Stats Simulator";
const char *STATS_ITEMS[] = {"FRAME", "DRIFT_X", "DRIFT_Y", "DRIFT_RA", "DRIFT_DEC", "CORR_RA", "CORR_DEC"};

void send(const QByteArray &xml) {
  std::fwrite(xml.constData(), 1, static_cast<size_t>(xml.size()), stdout);
  std::fflush(stdout);
}

QByteArray number(double v) { return QByteArray::number(v, 'g', 17); }

void defineProperties() {
  QByteArray xml = QByteArray("<defNumberVector device=\"") + DEVICE +
                   "\" name=\"AGENT_GUIDER_STATS\" label=\"Guider statistics\" group=\"Main Control\" "
                   "state=\"Idle\" perm=\"ro\" timeout=\"0\">\n";
  for (const char *item : STATS_ITEMS) {
    xml += QByteArray("  <defNumber name=\"") + item + "\" label=\"" + item +
           "\" format=\"%g\" min=\"0\" max=\"0\" step=\"0\">0</defNumber>\n";
  }
  xml += "</defNumberVector>\n";
  xml += QByteArray("<defNumberVector device=\"") + DEVICE +
         "\" name=\"GUIDER_STATS_PUBLISH\" label=\"Publish samples\" group=\"Main Control\" state=\"Idle\" "
         "perm=\"rw\" timeout=\"0\">\n"
         "  <defNumber name=\"COUNT\" label=\"Count\" format=\"%g\" min=\"0\" max=\"10000\" step=\"1\">0</defNumber>\n"
         "  <defNumber name=\"FIRST_FRAME\" label=\"First frame\" format=\"%g\" min=\"0\" max=\"1000000\" "
         "step=\"1\">1</defNumber>\n"
         "</defNumberVector>\n";
  send(xml);
}

void publish(int count, int firstFrame) {
  QByteArray reply = QByteArray("<setNumberVector device=\"") + DEVICE +
                     "\" name=\"GUIDER_STATS_PUBLISH\" state=\"Ok\">\n  <oneNumber name=\"COUNT\">" +
                     number(count) + "</oneNumber>\n  <oneNumber name=\"FIRST_FRAME\">" + number(firstFrame) +
                     "</oneNumber>\n</setNumberVector>\n";
  send(reply);
  for (int i = 0; i < count; ++i) {
    const double f = firstFrame + i;
    const double x = f / 100 * std::cos(f / 10);
    const double y = f / 100 * std::sin(f / 10);
    const double values[] = {f, x, y, 2 * x, 2 * y, -x, -y};
    QByteArray xml = QByteArray("<setNumberVector device=\"") + DEVICE +
                     "\" name=\"AGENT_GUIDER_STATS\" state=\"Ok\">\n";
    for (int k = 0; k < 7; ++k) {
      xml += QByteArray("  <oneNumber name=\"") + STATS_ITEMS[k] + "\">" + number(values[k]) + "</oneNumber>\n";
    }
    xml += "</setNumberVector>\n";
    send(xml);
  }
}

}  // namespace

int main() {
  ClientMessages session;
  session.getProperties = [](const QString &device) {
    if (device.isEmpty() || device == QLatin1String(DEVICE)) {
      defineProperties();
    }
  };
  session.newNumberVector = [](const QString &vector, const QMap<QString, double> &numbers) {
    if (vector == QLatin1String("GUIDER_STATS_PUBLISH")) {
      publish(static_cast<int>(numbers.value(QStringLiteral("COUNT"), 0)),
              static_cast<int>(numbers.value(QStringLiteral("FIRST_FRAME"), 1)));
    }
  };
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      return 0;
    }
    session.feed(QByteArray(buffer, static_cast<qsizetype>(n)));
  }
}
