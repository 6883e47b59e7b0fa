// A small INDI driver for the tests, run by indiserver: it speaks the INDI XML protocol on its
// standard input and output and publishes guider statistics.
//
// Device "Guider Stats Simulator":
//   AGENT_GUIDER_STATS (number, ro): FRAME, DRIFT_X, DRIFT_Y, DRIFT_RA, DRIFT_DEC, CORR_RA, CORR_DEC
//   GUIDER_STATS_PUBLISH (number, rw): COUNT, FIRST_FRAME. Setting it publishes COUNT samples
//     with frames FIRST_FRAME, FIRST_FRAME + 1, ...; sample f has
//     DRIFT_X = f/100 cos(f/10), DRIFT_Y = f/100 sin(f/10), DRIFT_RA = 2 DRIFT_X, DRIFT_DEC = 2 DRIFT_Y,
//     CORR_RA = -DRIFT_X, CORR_DEC = -DRIFT_Y.
#include "DriverSession.h"

#include <cmath>

int main() {
  DriverSession session("Guider Stats Simulator");
  session.getProperties = [&](const QString &) {
    session.defineNumbers("AGENT_GUIDER_STATS", "ro",
                          {"FRAME", "DRIFT_X", "DRIFT_Y", "DRIFT_RA", "DRIFT_DEC", "CORR_RA", "CORR_DEC"});
    session.defineNumbers("GUIDER_STATS_PUBLISH", "rw", {"COUNT", "FIRST_FRAME"});
  };
  session.newNumberVector = [&](const QString &vector, const QMap<QString, double> &numbers) {
    if (vector != QLatin1String("GUIDER_STATS_PUBLISH")) return;
    const int count = int(numbers.value(QStringLiteral("COUNT"))),
              first = int(numbers.value(QStringLiteral("FIRST_FRAME"), 1));
    session.setNumbers("GUIDER_STATS_PUBLISH", "Ok", {{"COUNT", count}, {"FIRST_FRAME", first}});
    for (double f = first; f < first + count; ++f) {
      const double x = f / 100 * std::cos(f / 10), y = f / 100 * std::sin(f / 10);
      session.setNumbers("AGENT_GUIDER_STATS", "Ok",
                         {{"FRAME", f},
                          {"DRIFT_X", x},
                          {"DRIFT_Y", y},
                          {"DRIFT_RA", 2 * x},
                          {"DRIFT_DEC", 2 * y},
                          {"CORR_RA", -x},
                          {"CORR_DEC", -y}});
    }
  };
  session.serve();
}
