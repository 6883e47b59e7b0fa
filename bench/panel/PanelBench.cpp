// The shown control panel on a real client object connected to a loopback server that plays the
// bus protocol: main-thread CPU to define a device of N properties in one group (and to delete
// it again), and the number updates per second the panel keeps up with while the updated
// property's group is shown. The peer: a bare client object (no windows) taking the same flood.
#include "OutlineClicks.h"
#include "ScratchRun.h"
#include "app/MainInterface.h"
#include "kestor/Model.h"
#include "views/ControlPanelView.h"
#include "support/ScriptedServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>
#include <string>
#include <thread>

namespace {

const QString FLOOD_DEVICE = QStringLiteral("Flood Simulator");

// CPU seconds the calling thread has used.
double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Counts what the client object notifies; registered after the interface, so a count includes
// the panel's work for that notification.
class Counter : public KESTORDelegate {
public:
  void propertyDefined(const std::shared_ptr<KESTOR::Property> &) override { ++defined; }
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &) override { ++changed; }
  void propertyDeleted(const std::shared_ptr<KESTOR::Property> &) override { ++deleted; }
  long defined = 0, changed = 0, deleted = 0;
};

// Runs the main thread's event loop, as the program does, until the condition holds.
void runUntil(const std::function<bool()> &condition) {
  while (!condition()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Main-thread CPU seconds spent handling what is still queued (a layout left for the next turn
// of the event loop, the paint).
double drainedSeconds() {
  const double cpu = threadSeconds();
  QCoreApplication::processEvents();
  return threadSeconds() - cpu;
}

std::string numberDefinition(const std::string &device, const std::string &name, const std::string &group) {
  return "<defNumberVector device=\"" + device + "\" name=\"" + name + "\" label=\"" + name + " label\" group=\"" +
         group +
         "\" state=\"Idle\" perm=\"rw\" timeout=\"0\"><defNumber name=\"VALUE\" label=\"Value\" "
         "format=\"%10.4f\" min=\"0\" max=\"0\" step=\"0\">0</defNumber></defNumberVector>\n";
}

// N updates of the flood device's "VALUES" property, alternating its state between Ok and Busy.
std::string floodUpdates(long count) {
  std::string updates;
  for (long i = 0; i < count; ++i) {
    updates += "<setNumberVector device=\"Flood Simulator\" name=\"VALUES\" state=\"";
    updates += i % 2 ? "Busy" : "Ok";
    updates += "\"><oneNumber name=\"VALUE\">" + std::to_string(i) + ".25</oneNumber></setNumberVector>\n";
  }
  return updates;
}

// The flood device as big as a mount's and a camera's together: "VALUES" and 19 more properties
// in "Main", 180 in nine other groups.
const long FLOOD_PROPERTIES = 200;
std::string floodDefinitions() {
  std::string definitions = numberDefinition("Flood Simulator", "VALUES", "Main");
  for (long i = 1; i < FLOOD_PROPERTIES; ++i) {
    const std::string group = i < 20 ? "Main" : "Group " + std::to_string(i % 9);
    definitions += numberDefinition("Flood Simulator", "P" + std::to_string(i), group);
  }
  return definitions;
}

// A client object connected to a loopback server that has sent the flood device's definitions.
// The counter is registered after the interface's controllers and outlives the client object.
struct Connection {
  Connection(KESTOR &kestor, Counter &counter) : kestor(kestor), counter(counter) {
    kestor.addDelegate(&counter);
    kestor.start(false, false);
    kestor.connect(QStringLiteral("127.0.0.1"), server.port());
    server.waitForClient();
    server.waitForReceived("<getProperties");
    server.send(floodDefinitions());
    runUntil([&] { return counter.defined == FLOOD_PROPERTIES; });
  }
  ~Connection() {
    kestor.disconnectServersExcept([](const TypedServer &) { return false; });
    runUntil([&] { return kestor.devices.empty(); });
    kestor_stop();
  }

  // Sends the bytes from another thread (the main thread keeps taking them) and returns the
  // main thread's CPU seconds and the wall seconds until the condition held.
  std::pair<double, double> play(const std::string &bytes, const std::function<bool()> &done) {
    QElapsedTimer wall;
    wall.start();
    const double cpu = threadSeconds();
    std::thread sender([&] { server.send(bytes); });
    runUntil(done);
    const std::pair<double, double> spent{threadSeconds() - cpu, double(wall.nsecsElapsed()) * 1e-9};
    sender.join();
    return spent;
  }

  KESTOR &kestor;
  Counter &counter;
  test_support::ScriptedServer server;
};

// The program's windows with the control panel shown, its outline expanded and the flood
// device's "Main" group selected, so that every update reaches the outline and a shown widget.
struct ShownPanel {
  ShownPanel() : interface(std::make_unique<MainInterface>()), connection(*interface->kestor, counter) {
    interface->window->show();
    interface->ctrlPanelController.showPanel();
    QTreeView *outline = interface->panelUi.propertiesOutlineView;
    clickRow(outline, outlineIndex(interface->ctrlPanelController, {FLOOD_DEVICE}));
    outline->expandAll();
    QCoreApplication::processEvents();
  }
  Counter counter;
  std::unique_ptr<MainInterface> interface;
  Connection connection;
};

// A client object without windows.
struct BareClient {
  BareClient() : connection(kestor, counter) {}
  Counter counter;
  KESTOR kestor;
  Connection connection;
};

// One client object runs at a time: each benchmark makes its own and ends the other.
std::unique_ptr<ShownPanel> shown;
std::unique_ptr<BareClient> bare;

Connection &shownPanel() {
  bare.reset();
  if (!shown) shown = std::make_unique<ShownPanel>();
  return shown->connection;
}

Connection &bareClient() {
  shown.reset();
  if (!bare) bare = std::make_unique<BareClient>();
  return bare->connection;
}

// Main-thread CPU from the first definition of a device of N properties in one group until the
// outline lists them all (the iteration time); then its deletion, as a counter. The panel shows
// another device's group, so this is the outline's work alone.
void BM_DefineDeviceInShownPanel(benchmark::State &state) {
  Connection &connection = shownPanel();
  const long count = long(state.range(0));
  std::string definitions;
  for (long i = 0; i < count; ++i)
    definitions += numberDefinition("Big Device", "P" + std::to_string(i * 7919 % count), "Main");
  double deleteSeconds = 0;
  for (auto _ : state) {
    const long defined = connection.counter.defined, deleted = connection.counter.deleted;
    const auto [cpu, wall] =
        connection.play(definitions, [&] { return connection.counter.defined == defined + count; });
    state.SetIterationTime(cpu);
    deleteSeconds += connection
                         .play("<delProperty device=\"Big Device\"/>\n",
                               [&] { return connection.counter.deleted == deleted + count; })
                         .first;
  }
  state.counters["delete_cpu_ms"] = benchmark::Counter(deleteSeconds * 1e3 / double(state.iterations()));
}
BENCHMARK(BM_DefineDeviceInShownPanel)->Arg(300)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Main-thread CPU from the first definition of N properties into the shown group (the flood
// device's "Main") until every one has its widget on the board and the board is laid out (the
// iteration time); then their deletion one by one, as a counter. "widgets": the widgets built.
void BM_DefineIntoShownGroup(benchmark::State &state) {
  Connection &connection = shownPanel();
  const ControlPanelView &board = *shown->interface->ctrlPanelController.propertiesView;
  const long count = long(state.range(0));
  std::string definitions, deletions;
  for (long i = 0; i < count; ++i) {
    const std::string name = "N" + std::to_string(i * 7919 % count);
    definitions += numberDefinition("Flood Simulator", name, "Main");
    deletions += "<delProperty device=\"Flood Simulator\" name=\"" + name + "\"/>\n";
  }
  const long before = long(board.widgets().size());
  long built = 0;
  double deleteSeconds = 0;
  for (auto _ : state) {
    const long defined = connection.counter.defined, deleted = connection.counter.deleted;
    const double cpu =
        connection.play(definitions, [&] { return connection.counter.defined == defined + count; }).first;
    state.SetIterationTime(cpu + drainedSeconds());
    built += long(board.widgets().size()) - before;
    deleteSeconds += connection.play(deletions, [&] { return connection.counter.deleted == deleted + count; }).first;
    deleteSeconds += drainedSeconds();
  }
  state.counters["widgets"] = benchmark::Counter(double(built) / double(state.iterations()));
  state.counters["delete_cpu_ms"] = benchmark::Counter(deleteSeconds * 1e3 / double(state.iterations()));
}
BENCHMARK(BM_DefineIntoShownGroup)->Arg(300)->Arg(1000)->Arg(3000)->UseManualTime()->Unit(benchmark::kMillisecond);

// N number updates flooded into the shown panel: updates per second from the first byte sent
// until the panel was told of the last, and the main thread's CPU per update.
void flood(benchmark::State &state, Connection &connection) {
  const long count = long(state.range(0));
  const std::string updates = floodUpdates(count);
  double cpu = 0;
  for (auto _ : state) {
    const long changed = connection.counter.changed;
    const auto [spentCpu, wall] =
        connection.play(updates, [&] { return connection.counter.changed == changed + count; });
    state.SetIterationTime(wall);
    cpu += spentCpu;
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["main_cpu_us_per_update"] = benchmark::Counter(cpu * 1e6 / double(state.iterations() * count));
}

void BM_UpdatesIntoShownPanel(benchmark::State &state) { flood(state, shownPanel()); }
BENCHMARK(BM_UpdatesIntoShownPanel)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The peer: the same flood into a client object without windows.
void BM_UpdatesIntoBareClient(benchmark::State &state) { flood(state, bareClient()); }
BENCHMARK(BM_UpdatesIntoBareClient)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  const ScratchRun run;
  if (!run.ok()) return 2;
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shown.reset();
  bare.reset();
  return 0;
}
