// The attached client and whether the library runs; the gate every callback passes.
#pragma once

#include <kestor.h>

#include <cstdint>
#include <functional>

namespace kestor {

// Every kestor_stop ends a run. A server's stream begun in one run stays stopped after it, also
// once kestor_start admits a new client: what it still says belongs to the run that ended. (A
// loaded driver's stream follows the current run: Session::Runs.)
uint64_t currentRun();

// The client whose callbacks may be called now: the attached one, unless kestor_stop has been
// called since the last kestor_start. Null otherwise. With `run`: also null for a stream begun in
// an earlier run.
kestor_client *admittedClient();
kestor_client *admittedClient(uint64_t run);

// True between kestor_stop and the next kestor_start (records are then left alone), and for a
// stream begun in `run` once that run has ended.
bool isStopped(uint64_t run);

void setClient(kestor_client *client);
void setStopped(bool stopped);

// Runs the step through kestor_sync_executor when the application set one, else in place.
void runSynchronised(const std::function<void()> &step);

}  // namespace kestor
