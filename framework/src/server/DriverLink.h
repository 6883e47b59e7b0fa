// One driver as the server sees it: a bus endpoint that owns the devices the driver defines. It
// reads the driver's stream on a thread of its own, hands every element to the server hub (for
// the TCP clients) and to a session (for the attached client), and sends elements to the driver.
// The attached client's BLOB modes (its enableBLOB elements) are kept here, as a server keeps a
// client's: its BLOB updates reach it only where it enabled them. A loaded driver stays across
// kestor_stop and kestor_start and speaks to the attached client of each run, whose modes start
// anew. Executable and library drivers differ only in what is at the other end of the socket.
#pragma once

#include "Device.h"
#include "DriverStreamFilter.h"
#include "Session.h"
#include "StreamParser.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kestor {

class DriverLink final : public kestor_device, public std::enable_shared_from_this<DriverLink> {
public:
  // Takes over `socket` (a stream socket whose other end the driver reads and writes), registers
  // the link, asks the driver for its properties and starts reading. `ended` runs on the reader
  // thread after the driver's devices have been deleted. Null when no thread can be started.
  static std::shared_ptr<DriverLink> open(int socket, std::string name, std::function<void()> ended);

  ~DriverLink() override;

  // Sends one element to the driver (an enableBLOB is kept as the attached client's mode instead);
  // false when the link is gone.
  bool send(const std::string &xml) override;

  // Ends the driver's input: a driver reading it sees end of file.
  void closeInput();
  // Ends the link from another thread; returns at once.
  void close();

  // Waits until the link has ended and the driver's devices are deleted; false after the time-out.
  bool waitFinished(std::chrono::milliseconds timeout);

  const std::string &name() const { return name_; }

private:
  DriverLink(int socket, std::string name, std::function<void()> ended);
  void run();
  bool feed(const char *data, size_t length);
  void handle(const Element &element);
  bool keepBlobMode(const std::string &xml);
  bool attachedClientWantsBlob(const Element &update);
  std::map<std::string, bool> &blobModesOfThisRun();  // with blobMutex_ held

  const int socket_;
  const std::string name_;
  std::function<void()> ended_;
  std::mutex sendMutex_;
  std::atomic<bool> closing_{false};
  std::mutex finishMutex_;
  std::condition_variable finishedChanged_;
  bool finished_ = false;
  std::mutex blobMutex_;
  std::map<std::string, bool> blobModes_;  // key: device, or device + '\0' + property
  uint64_t blobModesRun_ = currentRun();   // the run whose attached client set them
  std::string forSession_;                 // the elements of the current read the attached client sees
  DriverStreamFilter filter_;
  Session session_;
  StreamParser parser_;
};

// Every running driver link.
namespace drivers {
std::shared_ptr<DriverLink> byEndpoint(const kestor_device *endpoint);
std::vector<std::shared_ptr<DriverLink>> all();
}  // namespace drivers

}  // namespace kestor
