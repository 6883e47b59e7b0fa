// Records change only inside the application's sync executor: with an executor that runs the
// steps on this test's "main" thread, the main thread may read every record between steps while
// other threads send changes, and ThreadSanitizer sees no race.
#include "Base64Text.h"
#include "RecordingClient.h"

#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <thread>

namespace {

// The test thread's queue of library steps.
struct MainQueue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::pair<void (*)(void *), void *>> steps;
  std::map<void *, bool> done;
};
MainQueue *queue = nullptr;

void execute(void (*fn)(void *), void *arg) {
  std::unique_lock lock(queue->mutex);
  queue->steps.emplace_back(fn, arg);
  queue->done[arg] = false;
  queue->changed.notify_all();
  queue->changed.wait(lock, [&] { return queue->done[arg]; });
  queue->done.erase(arg);
}

// Runs queued steps, calling `between` after each, until `finished` or the time-out.
template <typename Between, typename Finished>
void runSteps(std::chrono::milliseconds timeout, Between between, Finished finished) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(queue->mutex);
  while (std::chrono::steady_clock::now() < end && !finished()) {
    if (queue->steps.empty()) {
      queue->changed.wait_for(lock, std::chrono::milliseconds(5));
      continue;
    }
    auto [fn, arg] = queue->steps.front();
    queue->steps.pop_front();
    lock.unlock();
    fn(arg);
    between();
    lock.lock();
    queue->done[arg] = true;
    queue->changed.notify_all();
  }
}

}  // namespace

TEST(KestorThreads, RecordsChangeOnlyInTheExecutor) {
  queue = new MainQueue();  // never destroyed: a reader thread may still be leaving execute()
  kestor_sync_executor = execute;
  RecordingClient recorder;
  test_support::ScriptedServer server;
  kestor_server_entry *entry = nullptr;
  ASSERT_EQ(kestor_connect_server(nullptr, "127.0.0.1", server.port(), &entry), KESTOR_OK);
  ASSERT_TRUE(server.waitForClient());

  // The server: definitions, then a stream of number and BLOB updates.
  std::thread script([&] {
    server.send(
        "<defNumberVector device=\"Scope\" name=\"EQUATORIAL_EOD_COORD\" perm=\"rw\" state=\"Idle\">"
        "<defNumber name=\"RA\" format=\"%g\">0</defNumber><defNumber name=\"DEC\" format=\"%g\">0</defNumber>"
        "</defNumberVector>\n"
        "<defBLOBVector device=\"Scope\" name=\"CCD1\" perm=\"ro\" state=\"Idle\"><defBLOB "
        "name=\"CCD1\"/></defBLOBVector>\n");
    for (int i = 1; i <= 300; ++i) {
      const std::string n = std::to_string(i);
      server.send(
          "<setNumberVector device=\"Scope\" name=\"EQUATORIAL_EOD_COORD\" state=\"Busy\">"
          "<oneNumber name=\"RA\">" +
          n + "</oneNumber><oneNumber name=\"DEC\">" + n + "</oneNumber></setNumberVector>\n");
      if (i % 30 == 0) {
        const char fill = static_cast<char>('a' + i / 30);
        server.send(
            "<setBLOBVector device=\"Scope\" name=\"CCD1\" state=\"Ok\"><oneBLOB name=\"CCD1\" size=\"3000\" "
            "format=\".fits\">" +
            encodeBase64(std::string(3000, fill)) + "</oneBLOB></setBLOBVector>\n");
      }
    }
    server.send("<message message=\"done\"/>\n");
  });

  // Meanwhile another thread sends changes, which read the records' names.
  std::atomic<bool> stop{false};
  std::thread sender([&] {
    char ra[128] = "RA";
    char *items[] = {ra};
    double value = 1;
    while (!stop) {
      kestor_change_number_property(nullptr, "Scope", "MOUNT_EQUATORIAL_COORDINATES", 1, items, &value);
      if (auto *record = recorder.waitFor("define", "Scope", "CCD1", std::chrono::milliseconds(1)).record)
        kestor_enable_blob(nullptr, record, KESTOR_BLOB_ALSO);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });

  // The main thread reads the records between steps, as the application's widgets do.
  kestor_property *mount = nullptr, *image = nullptr;
  double lastRa = 0;
  size_t blobs = 0;
  runSteps(
      std::chrono::seconds(20),
      [&] {
        if (!mount)
          mount =
              recorder.waitFor("define", "Scope", "MOUNT_EQUATORIAL_COORDINATES", std::chrono::milliseconds(0)).record;
        if (!image) image = recorder.waitFor("define", "Scope", "CCD1", std::chrono::milliseconds(0)).record;
        if (mount) {
          EXPECT_EQ(mount->items[0].number_value, mount->items[1].number_value);  // never torn
          EXPECT_GE(mount->items[0].number_value, lastRa);
          lastRa = mount->items[0].number_value;
        }
        if (image && image->items[0].blob_value) {
          std::string copy(static_cast<const char *>(image->items[0].blob_value), size_t(image->items[0].blob_size));
          EXPECT_EQ(copy, std::string(copy.size(), copy[0]));
          ++blobs;
        }
      },
      [&] { return !recorder.events("message", "").empty(); });
  stop = true;
  script.join();
  sender.join();
  EXPECT_EQ(lastRa, 300);
  EXPECT_GT(blobs, 0u);
  kestor_disconnect_server(entry);
  bool deleted = false;
  runSteps(
      std::chrono::seconds(5), [] {}, [&] { return deleted = !recorder.events("delete", "Scope", "").empty(); });
  EXPECT_TRUE(deleted);
}
