// Property updates carried from a library thread through the main thread to the delegates: the
// library's executor hop, the update callback, the model's update handler and three delegates.
// The main thread does nothing else but run its event loop.
#include <QCoreApplication>
#include <QThread>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "core/Dispatch.h"
#include "kestor/Callbacks.h"
#include "kestor/Model.h"

namespace {

class CountingDelegate : public KESTORDelegate {
public:
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &property) override { sum += property->seq; }
  qint64 sum = 0;
};

struct Update {
  kestor_client *client;
  kestor_property *record;
};

// What the library does per incoming update: change the record and call the client, on main.
void applyUpdate(void *arg) {
  auto *update = static_cast<Update *>(arg);
  update->record->items[0].number_value += 1;
  update->client->update_property(update->client, nullptr, update->record, nullptr);
}

kestor_property *numberRecord() {
  auto *record = static_cast<kestor_property *>(std::calloc(1, sizeof(kestor_property)));
  std::strcpy(record->device, "Telescope Simulator");
  std::strcpy(record->name, "MOUNT_EQUATORIAL_COORDINATES");
  std::strcpy(record->group, "Main Control");
  std::strcpy(record->items[0].name, "RA");
  record->type = KESTOR_NUMBER;
  record->count = 1;
  return record;
}

void BM_UpdatesThroughMainThread(benchmark::State &state) {
  KESTOR kestor;
  CountingDelegate delegates[3];
  for (auto &delegate : delegates) kestor.addDelegate(&delegate);
  kestor.start(false, false);  // fills the client record; the callbacks reach the client object
  kestor_client *client = kestor.client;
  std::unique_ptr<kestor_property, decltype(&std::free)> record(numberRecord(), &std::free);
  kestor.handleDefineProperty(record.get());
  Update update{client, record.get()};
  const int64_t perIteration = state.range(0);

  for (auto _ : state) {
    std::atomic<bool> done{false};
    std::thread library([&] {
      for (int64_t i = 0; i < perIteration; ++i) runOnMainThread(&applyUpdate, &update);
      done = true;
      asyncMain([] {});  // wakes the main thread for the last time
    });
    // The main thread waits in its event loop as an idle application's does.
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    library.join();
  }
  state.SetItemsProcessed(state.iterations() * perIteration);
  benchmark::DoNotOptimize(delegates[0].sum);
}
BENCHMARK(BM_UpdatesThroughMainThread)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
