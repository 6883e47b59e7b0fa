// The peer of BM_UpdatesThroughMainThread: libindi's BaseClient receiving the same flood from the
// same loopback server. It parses, applies and calls back on its own reader thread: no hand-over.
// Its callbacks do what our delegates do, count, and wake the waiting thread only when the count
// reaches the round's target, as our event loop only looks at the count.
#include "UpdateStream.h"
#include "support/ScriptedServer.h"

#include <baseclient.h>

#include <benchmark/benchmark.h>

#include <atomic>
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
  bool waitFor(const std::atomic<int64_t> &counter, int64_t target) {
    std::unique_lock lock(mutex_);
    target_.store(target);
    return reached_.wait_for(lock, std::chrono::seconds(30), [&] { return counter.load() >= target; });
  }

  std::atomic<int64_t> defined = 0;
  std::atomic<int64_t> changed = 0;

private:
  void count(std::atomic<int64_t> &counter) {
    if (counter.fetch_add(1) + 1 != target_.load()) return;
    std::lock_guard lock(mutex_);  // the waiter is either waiting or has yet to check the count
    reached_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable reached_;
  std::atomic<int64_t> target_ = 1;  // the definition's count
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
    const int64_t target = client.changed.load() + perIteration;
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
