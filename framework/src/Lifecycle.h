// The attached client and whether the library runs; the gate every callback passes.
#pragma once

#include <kestor.h>

#include <functional>

namespace kestor {

// The client whose callbacks may be called now: the attached one, unless kestor_stop has been
// called since the last kestor_start. Null otherwise.
kestor_client *admittedClient();

// True between kestor_stop and the next kestor_start: records are then left alone.
bool isStopped();

void setClient(kestor_client *client);
void setStopped(bool stopped);

// Runs the step through kestor_sync_executor when the application set one, else in place.
void runSynchronised(const std::function<void()> &step);

}  // namespace kestor
