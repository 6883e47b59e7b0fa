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

class ServerFixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Waits until the server's last reported client count is `clients`.
  static bool waitForCount(int32_t clients);
  // indi_getprop against the server for a property pattern; indi_setprop's exit status.
  std::string getprop(const std::string &pattern = "*.*.*") const;
  int setprop(const std::string &assignment) const;
  // Starts indi_simulator_telescope as an executable driver; a library driver of the test build.
  kestor_subprocess_entry *startTelescope();
  static void loadTestDriver();

  std::string scratch;
  int32_t port = 0;
  std::unique_ptr<RecordingClient> client;

private:
  std::thread server_;
  kestor_result serverResult_ = KESTOR_FAILED;
};

// The entry's started flag, read as the library writes it (atomically).
inline bool started(const kestor_subprocess_entry &entry) {
  return __atomic_load_n(&entry.thread_started, __ATOMIC_ACQUIRE);
}

inline bool contains(const std::string &text, const std::string &fragment) {
  return text.find(fragment) != std::string::npos;
}

// Polls the condition every 20 ms until it holds or the time-out passes.
bool eventually(const std::function<bool()> &condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A raw TCP client of the server: sends text and collects what comes back.
class RawClient {
public:
  explicit RawClient(int port);
  ~RawClient();
  void send(const std::string &text);
  // Reads until the text received so far contains `fragment`, the time-out passes or the server
  // closes the connection (with no fragment); all of it.
  std::string readUntil(const std::string &fragment = std::string(1, '\0'),
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
  int fd_ = -1;
  std::string received_;
};
