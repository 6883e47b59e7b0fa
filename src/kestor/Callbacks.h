// The C functions the library calls: the six client-record callbacks and the executor that runs
// record changes on the main thread.
#pragma once

#include <kestor.h>

// Writes version 0x200, is_remote false and the six callbacks into a zero-filled record.
void fillClientRecord(kestor_client *record);
// The library's executor: runs fn(arg) on the main thread and returns after it ran.
void runOnMainThread(void (*fn)(void *arg), void *arg);
