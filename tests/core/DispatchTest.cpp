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

#include "core/Dispatch.h"
#include "EventLoopWait.h"

namespace {

QThread *mainThread() { return QCoreApplication::instance()->thread(); }

TEST(Dispatch, SyncMainOnTheMainThreadRunsInPlace) {
  bool ran = false;
  syncMain([&] { ran = true; });
  EXPECT_TRUE(ran);  // no event processing in between
}

TEST(Dispatch, SyncMainFromThePoolWaitsForTheMainThread) {
  std::atomic<bool> returned{false};
  QThread *ranOn = nullptr;
  bool ranBeforeReturn = false;
  asyncGlobal([&] {
    bool ran = false;
    syncMain([&] {
      ranOn = QThread::currentThread();
      ran = true;
    });
    ranBeforeReturn = ran;
    returned = true;
  });
  ASSERT_TRUE(waitUntil([&] { return returned.load(); }));
  EXPECT_TRUE(ranBeforeReturn);
  EXPECT_EQ(ranOn, mainThread());
}

TEST(Dispatch, AsyncGlobalAfterZeroRunsLaterOnAPoolThread) {
  std::promise<void> gate;
  std::shared_future<void> opened = gate.get_future().share();
  std::promise<QThread *> ranOn;
  asyncGlobalAfter(0, [&, opened] {
    opened.wait();
    ranOn.set_value(QThread::currentThread());
  });
  gate.set_value();  // reached only when the call did not wait for the block
  EXPECT_NE(ranOn.get_future().get(), mainThread());
}

TEST(Dispatch, AsyncGlobalAfterWaitsTheDelay) {
  const auto begin = std::chrono::steady_clock::now();
  std::promise<std::chrono::steady_clock::time_point> ranAt;
  asyncGlobalAfter(0.05, [&] { ranAt.set_value(std::chrono::steady_clock::now()); });
  EXPECT_GE(ranAt.get_future().get() - begin, std::chrono::milliseconds(50));
}

TEST(Dispatch, SyncGlobalRunsOnAPoolThreadAndReturnsAfterIt) {
  QThread *ranOn = nullptr;
  syncGlobal([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ranOn = QThread::currentThread();
  });
  EXPECT_NE(ranOn, nullptr);
  EXPECT_NE(ranOn, mainThread());
}

// The main thread waits in syncGlobal while many pool blocks wait in syncMain for the main thread.
TEST(Dispatch, SyncGlobalFromMainDoesNotStarveWhilePoolBlocksWaitForMain) {
  constexpr int blocked = 32;
  std::atomic<int> entered{0};
  std::atomic<int> finished{0};
  for (int i = 0; i < blocked; ++i) {
    asyncGlobal([&] {
      ++entered;
      syncMain([] {});
      ++finished;
    });
  }
  while (entered < blocked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  bool ran = false;
  syncGlobal([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(waitUntil([&] { return finished == blocked; }));
}

TEST(Dispatch, NestedSyncGlobalFromPoolThreadsDoesNotDeadlock) {
  std::function<void(int)> nest = [&](int depth) {
    if (depth > 0) syncGlobal([&, depth] { nest(depth - 1); });
  };
  std::atomic<bool> done{false};
  asyncGlobal([&] {
    nest(64);
    done = true;
  });
  EXPECT_TRUE(waitUntil([&] { return done.load(); }));
}

TEST(Dispatch, AsyncMainKeepsTheOrderOfOneThread) {
  std::vector<int> order;
  std::thread poster([&] {
    for (int i = 0; i < 1000; ++i) asyncMain([&order, i] { order.push_back(i); });
  });
  poster.join();
  ASSERT_TRUE(waitUntil([&] { return order.size() == 1000; }));
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(order[static_cast<size_t>(i)], i);
}

// A block that runs a nested event loop (a modal dialog, say) does not hold up the blocks after it.
TEST(Dispatch, BlocksAfterOneThatRunsANestedLoopRunInsideItInOrder) {
  std::vector<std::string> order;
  std::atomic<bool> served{false};
  asyncMain([&] {
    order.push_back("outer begins");
    std::thread library([&] {
      syncMain([&] { order.push_back("from a library thread"); });
      served = true;
    });
    waitUntil([&] { return served.load() && order.size() >= 4; });
    library.join();
    order.push_back("outer ends");
  });
  asyncMain([&] { order.push_back("second"); });
  asyncMain([&] { order.push_back("third"); });
  ASSERT_TRUE(waitUntil([&] { return order.size() == 5; }));
  EXPECT_EQ(order[0], "outer begins");
  EXPECT_EQ(order[4], "outer ends");
  const auto second = std::find(order.begin(), order.end(), "second");
  const auto third = std::find(order.begin(), order.end(), "third");
  EXPECT_LT(second, third);
}

TEST(Dispatch, AsyncMainDropsTheBlockOfADestroyedContext) {
  bool ran = false;
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
  child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=DispatchExit.LeavesABlockRunning")});
  ASSERT_TRUE(child.waitForFinished(20000)) << "the program did not end while a pool block was running";
  EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

}  // namespace
