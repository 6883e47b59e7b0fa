// kestor_trace_property writes a record to the log at level 3; kestor_kill_subprocess ends and
// reaps a started entry, with SIGKILL for a process that ignores SIGTERM.
#include "RecordingClient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

TEST(KestorTrace, WritesThePropertyAndItsItemsAtLevelThree) {
  RecordingClient recorder;
  std::vector<unsigned char> memory(offsetof(kestor_property, items) + 2 * sizeof(kestor_item));
  auto *p = reinterpret_cast<kestor_property *>(memory.data());
  std::strcpy(p->device, "Scope");
  std::strcpy(p->name, "MOUNT_EQUATORIAL_COORDINATES");
  std::strcpy(p->group, "Main Control");
  p->type = KESTOR_NUMBER;
  p->state = KESTOR_STATE_BUSY;
  p->perm = KESTOR_PERM_RW;
  p->count = 2;
  std::strcpy(p->items[0].name, "RA");
  p->items[0].number_value = 5.5;
  std::strcpy(p->items[1].name, "DEC");
  p->items[1].number_value = -5.39;

  kestor_set_log_level(KESTOR_LOG_ERROR);
  const size_t before = recorder.logLines().size();
  kestor_trace_property(nullptr, p, true, true);
  EXPECT_EQ(recorder.logLines().size(), before);

  kestor_set_log_level(KESTOR_LOG_TRACE);
  EXPECT_EQ(kestor_trace_property(nullptr, p, true, true), KESTOR_OK);
  kestor_set_log_level(KESTOR_LOG_ERROR);
  const auto all = recorder.logLines();
  const std::vector<std::string> lines(all.begin() + static_cast<ptrdiff_t>(before), all.end());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Property Scope.MOUNT_EQUATORIAL_COORDINATES type=Number state=Busy count=2 group=\"Main Control\" "
                      "label=\"\" perm=rw rule=none version=0");
  EXPECT_EQ(lines[1].rfind("  Item RA label=\"\" value=5.5 target=0", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("  Item DEC label=\"\" value=-5.39", 0), 0u) << lines[2];
  EXPECT_EQ(kestor_trace_property(nullptr, nullptr, true, true), KESTOR_INVALID);
}

namespace {
pid_t child(bool ignoreTerm) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (ignoreTerm) std::signal(SIGTERM, SIG_IGN);
    for (;;) pause();
  }
  return pid;
}
}  // namespace

TEST(KestorSubprocess, KillEndsAndReapsAStartedEntry) {
  for (const bool ignoreTerm : {false, true}) {
    kestor_subprocess_entry &entry = kestor_available_subprocesses[9];
    std::strcpy(entry.executable, "pause");
    entry.pid = child(ignoreTerm);
    entry.thread_started = true;
    if (ignoreTerm) usleep(50000);  // let it install its handler
    const pid_t pid = entry.pid;
    EXPECT_EQ(kestor_kill_subprocess(&entry), KESTOR_OK);
    EXPECT_FALSE(entry.thread_started);
    EXPECT_EQ(entry.pid, 0);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);  // already reaped
    EXPECT_EQ(kestor_kill_subprocess(&entry), KESTOR_NOT_FOUND);
  }
  EXPECT_EQ(kestor_kill_subprocess(nullptr), KESTOR_INVALID);
}
