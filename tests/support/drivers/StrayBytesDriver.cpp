// A small INDI driver for the tests, run by indiserver, that writes what older drivers write:
// bytes that are not UTF-8 and characters that XML forbids. indiserver passes both on in element
// text; from attribute values it drops the control characters and passes the other bytes.
//
// Device "Stray Bytes Driver", on getProperties:
//   TEMPERATURE (number, ro), labelled "Temperature \xB0C" in Latin-1, item TEMP labelled "Sensor \xB0C"
//   a text vector whose name is "NOTE\xB0" in Latin-1, item NOTE with the value "ring" BEL " " ESC "[0m"
//   messages "[INFO] bell" + BEL, "[INFO] 20\xB0C" in Latin-1, then "[INFO] stray bytes sent"
#include "DriverSession.h"

int main() {
  DriverSession session("Stray Bytes Driver");
  session.getProperties = [&](const QString &) {
    DriverSession::send("<defNumberVector device=\"" + session.device +
                        "\" name=\"TEMPERATURE\" label=\"Temperature \xB0"
                        "C\" group=\"Main Control\" state=\"Ok\" perm=\"ro\" timeout=\"0\">\n"
                        "  <defNumber name=\"TEMP\" label=\"Sensor \xB0"
                        "C\" format=\"%g\" min=\"-50\" max=\"50\" step=\"0\">12.5</defNumber>\n"
                        "</defNumberVector>\n"
                        "<defTextVector device=\"" +
                        session.device +
                        "\" name=\"NOTE\xB0\" label=\"Note\" group=\"Main Control\" state=\"Idle\" perm=\"ro\">\n"
                        "  <defText name=\"NOTE\" label=\"Note\">ring\x07 \x1B[0m</defText>\n"
                        "</defTextVector>\n"
                        "<message device=\"" +
                        session.device + "\" message=\"[INFO] bell\x07\"/>\n<message device=\"" + session.device +
                        "\" message=\"[INFO] 20\xB0"
                        "C\"/>\n<message device=\"" +
                        session.device + "\" message=\"[INFO] stray bytes sent\"/>\n");
  };
  session.serve();
}
