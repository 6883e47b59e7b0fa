// A real indiserver (/usr/bin/indiserver) with the given drivers, for end-to-end tests.
//
//   test_support::IndiServer server({"indi_simulator_telescope", "indi_simulator_ccd"});
//   ASSERT_TRUE(server.start()) << server.log();
//   connect to 127.0.0.1:server.port() ...
//   server.kill();   // optional: SIGKILL, as a crash would
//   server.restart(); // optional: killed and started again on the same port
//
// It listens on a free port of 127.0.0.1 and on a private unix socket, runs with HOME set to a
// scratch folder of its own (the drivers keep their configuration there) and writes its output to
// scratch()/indiserver.log. The destructor stops it (SIGTERM, then SIGKILL), reaps it and removes
// the scratch folder. Several servers may run at once.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace test_support {

class IndiServer {
public:
  explicit IndiServer(std::vector<std::string> drivers);
  ~IndiServer();
  IndiServer(const IndiServer &) = delete;
  IndiServer &operator=(const IndiServer &) = delete;

  // Starts the server and waits until its port accepts connections; false on failure.
  bool start(std::chrono::milliseconds timeout = std::chrono::seconds(10));

  int port() const { return port_; }
  const std::string &scratch() const { return scratch_; }
  bool running() const { return pid_ > 0; }

  // The server's output so far.
  std::string log() const;

  // SIGKILL, and reaped; the drivers lose their server and end by themselves.
  void kill();

  // SIGKILL to the server and its drivers, then started again on the same port; false when it
  // does not come back.
  bool restart(std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // SIGTERM, SIGKILL after a short grace, reaped.
  void stop();

private:
  // Launches on a port (a new free one unless samePort) until one accepts, within the timeout.
  bool serve(std::chrono::milliseconds timeout, bool samePort);
  bool launch(int port);

  std::vector<std::string> drivers_;
  std::string scratch_;
  int port_ = -1;
  pid_t pid_ = -1;    // the server, until reaped
  pid_t group_ = -1;  // its process group, which holds the drivers too
};

}  // namespace test_support
