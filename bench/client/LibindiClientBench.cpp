// The peer of BM_UpdatesThroughMainThread: libindi's BaseClient receiving the same flood from the
// same loopback server. It parses, applies and calls back on its own reader thread: no hand-over.
#include "UpdateStream.h"
#include "support/ScriptedServer.h"

#include <baseclient.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

class CountingClient : public INDI::BaseClient {
public:
  void newProperty(INDI::Property) override { count(defined); }
  void updateProperty(INDI::Property) override { count(changed); }

  // Waits until `counter` reaches `target`; false after 30 s.
  bool waitFor(const int64_t &counter, int64_t target) {
    std::unique_lock lock(mutex);
    return counted.wait_for(lock, std::chrono::seconds(30), [&] { return counter >= target; });
  }

  std::mutex mutex;
  std::condition_variable counted;
  int64_t defined = 0;
  int64_t changed = 0;

private:
  void count(int64_t &counter) {
    std::lock_guard lock(mutex);
    ++counter;
    counted.notify_all();
  }
};

void BM_LibindiBaseClientUpdates(benchmark::State &state) {
  test_support::ScriptedServer server;
  CountingClient client;
  client.setServer("127.0.0.1", static_cast<unsigned>(server.port()));
  if (!client.connectServer() || !server.waitForReceived("<getProperties")) return state.SkipWithError("no connection");
  server.send(bench::definition());
  if (!client.waitFor(client.defined, 1)) return state.SkipWithError("no definition");
  const int64_t perIteration = state.range(0);
  const std::string flood = bench::updates(static_cast<int>(perIteration));

  for (auto _ : state) {
    int64_t target;
    {
      std::lock_guard lock(client.mutex);
      target = client.changed + perIteration;
    }
    std::thread sender([&] { server.send(flood); });
    const bool all = client.waitFor(client.changed, target);
    sender.join();
    if (!all) return state.SkipWithError("updates missing");
  }
  state.SetItemsProcessed(state.iterations() * perIteration);
  client.disconnectServer();
}
BENCHMARK(BM_LibindiBaseClientUpdates)->Arg(bench::UPDATES_PER_ROUND)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
