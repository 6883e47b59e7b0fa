// setNumberVector updates as indiserver sends them, parsed and applied to a record, with a client
// attached whose update callback does nothing.
#include "Registry.h"
#include "Session.h"

#include <kestor.h>

#include <benchmark/benchmark.h>

namespace {

const char DEFINITION[] =
    "<defNumberVector device=\"Telescope Simulator\" name=\"EQUATORIAL_EOD_COORD\" label=\"Eq. Coordinates\" "
    "group=\"Main Control\" state=\"Idle\" perm=\"rw\" timeout=\"60\" timestamp=\"2026-12-06T20:31:36\">\n"
    "    <defNumber name=\"RA\" label=\"RA (hh:mm:ss)\" format=\"%010.6m\" min=\"0\" max=\"24\" step=\"0\">\n0\n    </defNumber>\n"
    "    <defNumber name=\"DEC\" label=\"DEC (dd:mm:ss)\" format=\"%010.6m\" min=\"-90\" max=\"90\" step=\"0\">\n0\n    </defNumber>\n"
    "</defNumberVector>\n";

std::string update(int i) {
  return "<setNumberVector device=\"Telescope Simulator\" name=\"EQUATORIAL_EOD_COORD\" state=\"Idle\" timeout=\"60\" "
         "timestamp=\"2026-12-06T20:31:36\">\n    <oneNumber name=\"RA\">\n19.5694818870350" + std::to_string(10000 + i) +
         "\n    </oneNumber>\n    <oneNumber name=\"DEC\">\n90\n    </oneNumber>\n</setNumberVector>\n";
}

kestor_result ignore(kestor_client *, kestor_device *, kestor_property *, const char *) { return 0; }

void NumberUpdatesApplied(benchmark::State &state) {
  static kestor_client client = [] {
    kestor_client c{};
    c.version = KESTOR_VERSION_2_0;
    c.define_property = ignore;
    c.update_property = ignore;
    return c;
  }();
  kestor_start();
  kestor_attach_client(&client);
  constexpr int UPDATES = 10000;
  std::string stream;
  for (int i = 0; i < UPDATES; ++i) stream += update(i % 50000);

  kestor::Registry registry;
  kestor_device endpoint;
  kestor::Session session(registry, &endpoint, "bench", [](const std::string &) {});
  session.feed(DEFINITION, sizeof DEFINITION - 1);
  for (auto _ : state) {
    for (size_t i = 0; i < stream.size(); i += 65536)
      if (!session.feed(stream.data() + i, std::min<size_t>(65536, stream.size() - i))) state.SkipWithError("stream refused");
  }
  state.SetItemsProcessed(state.iterations() * UPDATES);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
  kestor_stop();
}
BENCHMARK(NumberUpdatesApplied)->Unit(benchmark::kMillisecond);

}  // namespace
