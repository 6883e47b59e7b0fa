// The goals the load runs are held to.
#pragma once

#include "support/ResidentMemory.h"

namespace load_goals {

// Resident memory is held to the goals only where it means something.
constexpr bool CHECK_MEMORY = test_support::RESIDENT_MEMORY_MEANINGFUL;

// How often the runs check what they wait for, in ms: seldom enough to add next to nothing to the
// main thread's time.
constexpr int CHECK_MS = 20;
// No event may wait longer than this on the main thread while updates stream in.
constexpr double MAX_EVENT_WAIT_MS = 100;
// Allowed growth of resident memory (MiB) between the first and the last third of an update run.
// Steady-state noise (the allocator's arenas, Qt's backing store, the message queue's depth
// at the moment of sampling) stays within a few megabytes; a leak of 100 bytes per update at
// 1,000 updates/s over the 40 s between the two thirds of a 60 s run amounts to 4 MB.
constexpr double UPDATE_RSS_GROWTH_MB = 4;
// Allowed difference of resident memory after the last image of a series from after the
// second, in images' sizes: a BLOB item keeps its current and its previous image (data and
// decoded image), and the widget the current preview, so from the second image on the images
// held stay the same. When the buffers of the image before are given back varies (the library's
// buffers, the previous slot, the queued picture), which leaves up to one image's size more
// resident at times; an image kept from every frame grows by its size with each frame.
constexpr double BLOB_RSS_GROWTH_IMAGES = 1.25;
// The longest from an image's update handled on the main thread to its preview painted, and the
// main thread's CPU time per image (long runs only).
constexpr double MAX_SHOW_MS = 60;
constexpr double MAX_MAIN_THREAD_MS_PER_IMAGE = 10;
// The longest a preview may take to appear after its image was asked for.
constexpr double MAX_PREVIEW_SECONDS = 20;

}  // namespace load_goals
