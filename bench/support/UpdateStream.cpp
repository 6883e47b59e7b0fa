#include "UpdateStream.h"

namespace bench {

const std::string &definition() {
  static const std::string xml =
      "<defNumberVector device=\"Telescope Simulator\" name=\"EQUATORIAL_EOD_COORD\" label=\"Eq. Coordinates\" "
      "group=\"Main Control\" state=\"Idle\" perm=\"rw\" timeout=\"60\" timestamp=\"2026-12-06T20:31:36\">\n"
      "    <defNumber name=\"RA\" label=\"RA (hh:mm:ss)\" format=\"%010.6m\" min=\"0\" max=\"24\" step=\"0\">\n0\n    "
      "</defNumber>\n"
      "    <defNumber name=\"DEC\" label=\"DEC (dd:mm:ss)\" format=\"%010.6m\" min=\"-90\" max=\"90\" step=\"0\">\n0\n "
      "   </defNumber>\n"
      "</defNumberVector>\n";
  return xml;
}

std::string updates(int count) {
  std::string stream;
  for (int i = 0; i < count; ++i)
    stream +=
        "<setNumberVector device=\"Telescope Simulator\" name=\"EQUATORIAL_EOD_COORD\" state=\"Idle\" timeout=\"60\" "
        "timestamp=\"2026-12-06T20:31:36\">\n    <oneNumber name=\"RA\">\n19.5694818870350" +
        std::to_string(10000 + i % 50000) +
        "\n    </oneNumber>\n    <oneNumber name=\"DEC\">\n90\n    </oneNumber>\n"
        "</setNumberVector>\n";
  return stream;
}

}  // namespace bench
