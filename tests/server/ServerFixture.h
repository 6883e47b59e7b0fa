// A running in-process server for the tests: the library started with a recording client, the
// server on a free port (port 0), HOME and the library-driver folder pointing into the test's own
// scratch folder and build tree. Tearing down stops the library, waits for the server to return
// and kills every subprocess still marked started, as the program does at termination.
#pragma once

#include "RecordingClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

class ServerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The client counts the server has reported so far.
  static std::vector<int32_t> counts();
  // Waits until the last reported count is `clients`.
  static bool waitForCount(int32_t clients);

  // Runs a command line; its standard output.
  static std::string run(const std::string &command);
  // indi_getprop against the server, for the given property pattern.
  std::string getprop(const std::string &pattern = "*.*.*") const;
  // indi_setprop against the server; its exit status.
  int setprop(const std::string &assignment) const;

  // The library's log lines so far, for failure messages.
  std::string logText() const;

  // Starts indi_simulator_telescope as an executable driver.
  kestor_subprocess_entry *startTelescope();

  std::string scratch;
  int32_t port = 0;
  std::unique_ptr<RecordingClient> client;

 private:
  std::thread server_;
  kestor_result serverResult_ = KESTOR_FAILED;
};

// The entry's started flag, read as the library writes it (atomically).
inline bool started(const kestor_subprocess_entry &entry) { return __atomic_load_n(&entry.thread_started, __ATOMIC_ACQUIRE); }

inline bool contains(const std::string &text, const std::string &fragment) { return text.find(fragment) != std::string::npos; }

// Polls the condition every 20 ms until it holds or the time-out passes.
bool eventually(const std::function<bool()> &condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A raw TCP client of the server: sends text and collects what comes back.
class RawClient {
 public:
  explicit RawClient(int port);
  ~RawClient();
  RawClient(const RawClient &) = delete;
  RawClient &operator=(const RawClient &) = delete;

  bool connected() const { return fd_ >= 0; }
  void send(const std::string &text);
  // Reads until the text received so far contains `fragment` or the time-out passes; all of it.
  std::string readUntil(const std::string &fragment, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Reads until the server closes the connection.
  std::string readAll();

 private:
  int fd_ = -1;
  std::string received_;
};
