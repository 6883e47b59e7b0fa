// setNumberVector updates as indiserver sends them, parsed and applied to a record, with a client
// attached whose update callback does nothing.
#include "Registry.h"
#include "Session.h"
#include "UpdateStream.h"

#include <kestor.h>

#include <benchmark/benchmark.h>

namespace {

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
  const std::string stream = bench::updates(bench::UPDATES_PER_ROUND);

  kestor::Registry registry;
  kestor_device endpoint;
  kestor::Session session(registry, &endpoint, "bench", [](const std::string &) {});
  session.feed(bench::definition().data(), bench::definition().size());
  for (auto _ : state) {
    for (size_t i = 0; i < stream.size(); i += 65536)
      if (!session.feed(stream.data() + i, std::min<size_t>(65536, stream.size() - i)))
        state.SkipWithError("stream refused");
  }
  state.SetItemsProcessed(state.iterations() * bench::UPDATES_PER_ROUND);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
  kestor_stop();
}
BENCHMARK(NumberUpdatesApplied)->Unit(benchmark::kMillisecond);

}  // namespace
