// The main thread's queue and the global pool, run under ThreadSanitizer by test.sh.
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "EventLoopWait.h"
#include "core/Dispatch.h"

namespace {

QThread *mainThread() { return QCoreApplication::instance()->thread(); }

TEST(Dispatch, SyncCallsRunOnTheirThreadBeforeReturning) {
  bool inPlace = false;
  syncMain([&] { inPlace = true; });  // on the main thread: no event processing in between
  EXPECT_TRUE(inPlace);
  QThread *poolThread = nullptr;
  syncGlobal([&] { poolThread = QThread::currentThread(); });
  EXPECT_NE(poolThread, nullptr);
  EXPECT_NE(poolThread, mainThread());
  std::atomic<QThread *> mainFromPool{nullptr};
  asyncGlobal([&] {
    QThread *ranOn = nullptr;
    syncMain([&] { ranOn = QThread::currentThread(); });  // the main thread serves it meanwhile
    mainFromPool = ranOn;
  });
  ASSERT_TRUE(waitUntil([&] { return mainFromPool != nullptr; }));
  EXPECT_EQ(mainFromPool, mainThread());
}

TEST(Dispatch, AsyncGlobalAfterNeverRunsInsideTheCallAndWaitsTheDelay) {
  const auto begin = std::chrono::steady_clock::now();
  std::promise<void> gate;
  std::promise<std::chrono::steady_clock::time_point> zero, later;
  asyncGlobalAfter(0, [&, opened = gate.get_future().share()] {
    opened.wait();
    zero.set_value(std::chrono::steady_clock::now());
  });
  asyncGlobalAfter(0.05, [&] { later.set_value(std::chrono::steady_clock::now()); });
  gate.set_value();  // reached only when the first call did not wait for its block
  zero.get_future().wait();
  EXPECT_GE(later.get_future().get() - begin, std::chrono::milliseconds(50));
}

// The main thread waits in syncGlobal while many pool blocks wait in syncMain for it, and blocks
// nested 64 deep wait for each other: the pool grows instead of starving.
TEST(Dispatch, ThePoolNeverStarves) {
  constexpr int blocked = 32;
  std::atomic<int> entered{0}, finished{0};
  for (int i = 0; i < blocked; ++i)
    asyncGlobal([&] {
      ++entered;
      syncMain([] {});
      ++finished;
    });
  while (entered < blocked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::function<void(int)> nest = [&](int depth) {
    if (depth > 0) syncGlobal([&, depth] { nest(depth - 1); });
  };
  nest(64);
  EXPECT_TRUE(waitUntil([&] { return finished == blocked; }));
}

// One thread's blocks keep their order, also those queued before or while a block runs a nested
// event loop (a modal dialog, say): they run inside it.
TEST(Dispatch, AsyncMainKeepsTheOrderAlsoInsideANestedLoop) {
  std::vector<std::string> order, numbers;
  std::atomic<bool> served{false};
  asyncMain([&] {
    order.push_back("outer begins");
    std::thread library([&] {
      syncMain([&] { order.push_back("library"); });
      for (int i = 0; i < 1000; ++i) asyncMain([&order, i] { order.push_back(std::to_string(i)); });
      served = true;
    });
    waitUntil([&] { return served.load() && order.size() >= 1004; });
    library.join();
    order.push_back("outer ends");
  });
  asyncMain([&] { order.push_back("second"); });
  asyncMain([&] { order.push_back("third"); });
  ASSERT_TRUE(waitUntil([&] { return order.size() == 1005; }));
  EXPECT_EQ(order.front(), "outer begins");
  EXPECT_EQ(order.back(), "outer ends");
  EXPECT_LT(std::find(order.begin(), order.end(), "second"), std::find(order.begin(), order.end(), "third"));
  std::copy_if(order.begin(), order.end(), std::back_inserter(numbers),
               [](const std::string &s) { return isdigit(s[0]); });
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(numbers.at(size_t(i)), std::to_string(i));

  bool ran = false;  // the block of a context destroyed before it runs is dropped
  auto *context = new QObject;
  asyncMain(context, [&] { ran = true; });
  delete context;
  spinFor(20);
  EXPECT_FALSE(ran);
}

// Run as a child process by the next test: leaves a block sleeping on the pool and returns.
TEST(DispatchExit, LeavesABlockRunning) {
  if (qgetenv("KESTOR_EXIT_HELPER") != "1") GTEST_SKIP() << "run by ExitDoesNotWaitForPoolBlocks";
  std::promise<void> started;
  asyncGlobal([&started] {
    started.set_value();
    std::this_thread::sleep_for(std::chrono::seconds(60));
  });
  started.get_future().wait();
}

TEST(Dispatch, ExitDoesNotWaitForPoolBlocks) {
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("KESTOR_EXIT_HELPER"), QStringLiteral("1"));
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=DispatchExit.LeavesABlockRunning")});
  ASSERT_TRUE(child.waitForFinished(20000)) << "the program did not end while a pool block was running";
  EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

}  // namespace
