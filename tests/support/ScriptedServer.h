// A loopback TCP server that plays a script to one client and records what the client sends.
//
//   test_support::ScriptedServer server;             // listening on 127.0.0.1:server.port()
//   ... let the client connect ...
//   ASSERT_TRUE(server.waitForClient());
//   server.send("<defNumberVector ...>...</defNumberVector>\\n");
//   ASSERT_TRUE(server.waitForReceived("<newNumberVector"));
//   server.closeClient();                            // as a server that goes away would
//
// One client at a time: a new connection replaces the previous one (whose socket is closed).
// Everything the current client has sent is kept in received().
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace test_support {

class ScriptedServer {
public:
  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer &) = delete;
  ScriptedServer &operator=(const ScriptedServer &) = delete;

  int port() const { return port_; }

  // Waits until a client has connected.
  bool waitForClient(std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // Sends bytes to the client; false when there is none or it has gone.
  bool send(std::string_view bytes);

  // What the client has sent so far, and a wait until it contains `needle`.
  std::string received() const;
  bool waitForReceived(std::string_view needle, std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // True once the client has closed its side.
  bool clientClosed() const;
  bool waitForClientClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // Closes the connection to the client.
  void closeClient();

private:
  void serve();
  template <typename Predicate>
  bool waitFor(std::chrono::milliseconds timeout, Predicate predicate);

  int listener_ = -1;
  int port_ = -1;
  int wake_[2] = {-1, -1};  // a pipe that ends the serving thread
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int client_ = -1;
  bool closed_ = false;
  std::string received_;
  std::thread thread_;
};

}  // namespace test_support
