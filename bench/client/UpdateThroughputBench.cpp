// Number updates from a loopback server through the library's reader thread and the main thread to
// the client object's delegates. The main thread does nothing else but run its event loop.
#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <atomic>
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

// Set when the connection has ended, before the client object's own ended hook posts its note to
// the main thread (which wakes the event loop that waits for this).
std::atomic<bool> connectionEnded = false;
void (*clientObjectsEndedHook)(kestor_server_entry *) = nullptr;

void noteEnded(kestor_server_entry *entry) {
  connectionEnded.store(true);
  clientObjectsEndedHook(entry);
}

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
  clientObjectsEndedHook = kestor_server_ended_handler;
  kestor_server_ended_handler = &noteEnded;
  connectionEnded.store(false);
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
  // The connection has ended before the next repetition starts its own: ending after that start,
  // it would delete its device, of the same name, from the next repetition's client object.
  kestor_disconnect_server(entry);
  runEventsUntil([] { return connectionEnded.load(); });
  kestor_stop();
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
