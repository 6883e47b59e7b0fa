// Dispatch helpers: run a block on the main thread's event loop or on the global pool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class QObject;

using Block = std::function<void()>;

// Queues the block on the main thread's event loop and returns at once. With a context object
// the block is dropped when the context is destroyed before it runs. Without a running
// application the block is dropped.
void asyncMain(Block block);
void asyncMain(QObject *context, Block block);

// Runs the block on a thread of the global pool and returns at once. Every block gets a thread
// of its own when none is idle, so a block that waits for another block never starves it.
void asyncGlobal(Block block);

// Runs the block on a global-pool thread once the given number of seconds has passed; never
// inside the call, also for 0. Negative or NaN delays count as 0.
void asyncGlobalAfter(double seconds, Block block);

// Runs the block on a global-pool thread and returns after it has run.
void syncGlobal(Block block);

// Runs block(i) for every i in [0, count) at once: block(0) on the calling thread, each other on
// a thread of the global pool; returns after every one has run. For splitting long work.
void concurrentPerform(size_t count, const std::function<void(size_t)> &block);

// Long work over the rows [0, rows), in bands of consecutive rows run as concurrentPerform runs its
// blocks: block(band, firstRow, endRow) for each. As many bands as `work / workPerBand` (at least
// one; at most MAX_ROW_BANDS, and one per row).
constexpr size_t MAX_ROW_BANDS = 8;
void concurrentPerformRows(int64_t rows, int64_t work, int64_t workPerBand,
                           const std::function<void(size_t band, int64_t firstRow, int64_t endRow)> &block);

// Runs the block on the main thread: in place when called there, otherwise queued on the main
// event loop while the caller waits until it has run.
void syncMain(Block block);

// True on the thread of the application object (or on any thread when there is none).
bool isMainThread();
