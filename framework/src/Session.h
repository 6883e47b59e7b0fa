// One server's stream as the library sees it: bytes in, records changed and callbacks called out.
// Every element one read completes is applied, in order, in one step through the application's
// sync executor when it set one; each change to the records is followed by the callback that
// announces it before the next element is applied. No library lock is held while a callback runs.
// What an element's change replaced or deleted (BLOB buffers, records) is freed once the callbacks
// announcing it have returned. A pipelined session with an executor set hands each step to a
// thread of its own and reads on meanwhile: the step of one read runs while the next is parsed.
// The reader only parses: the elements a read completed are handed over as parsed, and the step
// reads what each asks for (names, numbers, BLOB checks) before applying it.
#pragma once

#include "Incoming.h"
#include "Lifecycle.h"
#include "Registry.h"
#include "StepQueue.h"
#include "StreamParser.h"

#include <functional>
#include <set>
#include <vector>
#include <string>

namespace kestor {

class Session {
public:
  using Reply = std::function<void(const std::string &xml)>;

  // `endpoint` is passed to the callbacks and owns the devices this stream defines; `peer` names
  // the server in log lines; `reply` sends an element back (answers to pings).
  enum class Steps { InPlace, Pipelined };
  // A server's stream belongs to the run it began in. An in-process driver's stream outlives runs:
  // a driver stays loaded across kestor_stop and kestor_start, and speaks to the client of each run.
  enum class Runs { Begun, Every };
  Session(Registry &registry, kestor_device *endpoint, std::string peer, Reply reply, Steps steps = Steps::InPlace,
          Runs runs = Runs::Begun);

  // Reads more of the stream and applies the elements it completed (pipelined: hands them over
  // to be applied); false when the stream has to be given up (error() says why; the elements
  // before the fault are applied, or handed over).
  bool feed(const char *data, size_t length);
  const std::string &error() const { return parser_.error(); }

  // The stream has ended: once the elements handed over are applied, every device it defined is
  // deleted, one device-wide delete each.
  // Returns the names of those devices.
  std::vector<std::string> end();

  // True once kestor_stop has ended the run this stream began in (even if another run began since),
  // or, for a stream of every run, between kestor_stop and the next kestor_start: its records are
  // then left alone and nobody is told of them.
  bool stopped() const { return isStopped(run()); }

private:
  struct Call;
  struct Step;
  // The elements of one read, in order. Entries beyond `count` are kept, written over by the next
  // read, so that a stream of like elements is captured without allocating.
  struct Batch {
    std::vector<Element> elements;
    size_t count = 0;
  };
  void capture(Element &element);
  void handOver();
  void runStep(Batch &batch);
  void read(const Element &element);
  void applyPending();
  void apply(Incoming &in);
  void define(Incoming &in, Step &step);
  void update(Incoming &in, Step &step);
  void remove(Incoming &in, Step &step);
  void removeDevice(const std::string &device, Step &step);
  bool owns(const std::string &device);
  void skip(const std::string &why);  // noted, and written to the log by flushSkipped
  void flushSkipped();
  void deliver(const std::vector<Call> &calls);
  void deliverMessage(const std::string &text);
  uint64_t run() const { return runs_ == Runs::Every ? currentRun() : begun_; }

  Registry &registry_;
  const uint64_t begun_ = currentRun();
  const Runs runs_;
  kestor_device *endpoint_;
  std::string peer_;
  Reply reply_;
  StreamParser parser_;
  Batch reading_;     // filled by the reader
  Batch handedOver_;  // read and applied by the step handed over
  // The first pendingCount_ are read, not yet applied; the rest are kept to be written over.
  std::vector<Incoming> pending_;
  size_t pendingCount_ = 0;
  std::vector<std::string> skipped_;
  std::set<std::string> foreign_;  // devices of other endpoints already reported
  const Steps stepsMode_;
  StepQueue steps_;  // last: destroyed first, once the step handed over has run
};

}  // namespace kestor
