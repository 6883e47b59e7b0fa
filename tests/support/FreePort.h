// A TCP port on 127.0.0.1 that is free at the moment of the call.
#pragma once

namespace test_support {

// Asks the kernel for an unused port on 127.0.0.1; -1 when no socket can be made.
int freeLoopbackPort();

}  // namespace test_support
