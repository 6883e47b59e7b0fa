// Number updates from a loopback server through the library's reader thread and the main thread to
// the client object's delegates. The main thread does nothing else but run its event loop.
#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <thread>

#include "UpdateStream.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/Model.h"
#include "support/ScriptedServer.h"

namespace {

class CountingDelegate : public KESTORDelegate {
public:
  void propertyDefined(const std::shared_ptr<KESTOR::Property> &) override { ++defined; }
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &) override { ++changed; }
  int64_t defined = 0;
  int64_t changed = 0;
};

template <typename Predicate>
void runEventsUntil(Predicate predicate) {
  while (!predicate()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_UpdatesThroughMainThread(benchmark::State &state) {
  test_support::ScriptedServer server;
  KESTOR kestor;
  CountingDelegate delegates[3];
  for (auto &delegate : delegates) kestor.addDelegate(&delegate);
  kestor.start(false, false);
  kestor_server_entry *entry = nullptr;
  if (kestor_connect_server("bench", "127.0.0.1", server.port(), &entry) != KESTOR_OK ||
      !server.waitForReceived("<getProperties")) {
    state.SkipWithError("no connection to the loopback server");
    return;
  }
  server.send(bench::definition());
  runEventsUntil([&] { return delegates[0].defined == 1; });
  const int64_t perIteration = state.range(0);
  const std::string flood = bench::updates(static_cast<int>(perIteration));

  for (auto _ : state) {
    const int64_t target = delegates[0].changed + perIteration;
    std::thread sender([&] { server.send(flood); });
    runEventsUntil([&] { return delegates[0].changed == target; });
    sender.join();
  }
  state.SetItemsProcessed(state.iterations() * perIteration);
  kestor_stop();  // the connection then ends without the main thread
  kestor_disconnect_server(entry);
}
BENCHMARK(BM_UpdatesThroughMainThread)->Arg(bench::UPDATES_PER_ROUND)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
