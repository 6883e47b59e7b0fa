// Driver subprocesses: ten entries at most, standard error to the log, XML declarations of driver
// output dropped wherever reads split them, snooping requests served.
#include "ServerFixture.h"

#include "server/DriverStreamFilter.h"

#include <kestor.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string script(const std::string &folder, const std::string &name, const std::string &body) {
  const std::string path = folder + "/" + name;
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

}  // namespace

TEST_F(ServerFixture, AtMostTenSubprocessesRun) {
  kestor_subprocess_entry *entry = nullptr;
  EXPECT_EQ(kestor_start_subprocess((scratch + "/none").c_str(), &entry), KESTOR_FAILED);
  EXPECT_EQ(kestor_start_subprocess(nullptr, &entry), KESTOR_INVALID);
  for (int i = 0; i <= KESTOR_MAX_SUBPROCESSES; ++i) {
    const std::string path = scratch + "/cat" + std::to_string(i);
    std::filesystem::create_symlink("/bin/cat", path);
    const kestor_result result = kestor_start_subprocess(path.c_str(), &entry);
    if (i < KESTOR_MAX_SUBPROCESSES) {
      ASSERT_EQ(result, KESTOR_OK) << path;
      EXPECT_EQ(entry, &kestor_available_subprocesses[i]);
    } else {
      EXPECT_EQ(result, KESTOR_FAILED);
    }
  }
  // A freed entry is taken again.
  EXPECT_EQ(kestor_kill_subprocess(&kestor_available_subprocesses[3]), KESTOR_OK);
  EXPECT_FALSE(started(kestor_available_subprocesses[3]));
  EXPECT_EQ(kestor_start_subprocess((scratch + "/cat10").c_str(), &entry), KESTOR_OK);
  EXPECT_EQ(entry, &kestor_available_subprocesses[3]);
}

TEST_F(ServerFixture, DriverErrorLinesAndDeclarationsAreHandled) {
  const std::string path =
      script(scratch, "chatty",
             "echo 'first line' >&2\n"
             "printf \"<?xml version='1.0'?>\\n<defTextVector device='Chatty' name='T' perm='ro' "
             "state='Idle'><?xml version='1.0'?><defText name='A'>\\n  x  \\n</defText></defTextVector>\\n\"\n"
             "exec cat >/dev/null");
  kestor_subprocess_entry *entry = nullptr;
  ASSERT_EQ(kestor_start_subprocess(path.c_str(), &entry), KESTOR_OK);
  EXPECT_TRUE(client->waitForLog("chatty: first line"));
  const Event defined = client->waitFor("define", "Chatty", "T");
  ASSERT_EQ(defined.kind, "define");
  EXPECT_STREQ(defined.record->items[0].text_value, "x");
  RawClient remote(port);
  remote.send("<getProperties version=\"1.7\" device=\"Chatty\"/>\n");
  EXPECT_TRUE(contains(remote.readUntil("</defTextVector>"), "<defText name=\"A\">x</defText>"));
}

// A driver that ignores the end of its input and SIGTERM is killed.
TEST_F(ServerFixture, AStubbornDriverIsKilled) {
  const std::string path =
      script(scratch, "stubborn", "trap '' HUP TERM\necho ready >&2\nwhile true; do sleep 0.05; done");
  kestor_subprocess_entry *entry = nullptr;
  ASSERT_EQ(kestor_start_subprocess(path.c_str(), &entry), KESTOR_OK);
  ASSERT_TRUE(client->waitForLog("stubborn: ready"));
  const pid_t pid = entry->pid;
  EXPECT_EQ(kestor_kill_subprocess(entry), KESTOR_OK);
  EXPECT_FALSE(started(*entry));
  EXPECT_NE(kill(pid, 0), 0);
}

TEST_F(ServerFixture, SnoopingDriversGetTheDeviceTheyAskedFor) {
  ASSERT_NO_FATAL_FAILURE(loadTestDriver());
  ASSERT_TRUE(eventually([&] { return contains(getprop("Test Simulator.TEST_VALUE.VALUE"), "VALUE="); }));
  // The snooper writes whatever it is sent to its standard error, which goes to the log.
  const std::string path =
      script(scratch, "snooper", "printf \"<getProperties version='1.7' device='Test Simulator'/>\"\nexec cat >&2");
  kestor_subprocess_entry *entry = nullptr;
  ASSERT_EQ(kestor_start_subprocess(path.c_str(), &entry), KESTOR_OK);
  EXPECT_TRUE(client->waitForLog("snooper: <defNumberVector device=\"Test Simulator\" name=\"TEST_VALUE\""));
  EXPECT_EQ(setprop("Test Simulator.TEST_VALUE.VALUE=5"), 0);
  EXPECT_TRUE(client->waitForLog("snooper: <setNumberVector device=\"Test Simulator\" name=\"TEST_VALUE\""));
}

TEST(DriverStreamFilter, DropsDeclarationsAcrossChunks) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"<a x='1'>t</a>"}, "<a x='1'>t</a>"},
      {{"<?xml version='1.0'?>\n<a/>"}, "\n<a/>"},
      {{"<a/><?xml version='1.0'?><b/>"}, "<a/><b/>"},
      {{"<a/><", "?xml?><b/>"}, "<a/><b/>"},            // split after <
      {{"<?xm", "l version='1.0'?", "><b/>"}, "<b/>"},  // split inside
      {{"<?x a='?'?"
        "?><b/>"},
       "<b/>"},                // question marks inside
      {{"<", "c/>"}, "<c/>"},  // a lone < held, then released
      {{"<<a/>"}, "<<a/>"},
  };
  for (const auto &[chunks, expected] : cases) {
    kestor::DriverStreamFilter filter;
    std::string out;
    for (const auto &chunk : chunks) out += filter.filter(chunk);
    EXPECT_EQ(out, expected) << chunks.front();
  }
}

// A started entry is ended and reaped, with SIGKILL for a process that ignores SIGTERM.
TEST(KestorSubprocess, KillEndsAndReapsAStartedEntry) {
  for (const bool ignoreTerm : {false, true}) {
    kestor_subprocess_entry &entry = kestor_available_subprocesses[9];
    std::strcpy(entry.executable, "pause");
    entry.pid = fork();
    if (entry.pid == 0) {
      if (ignoreTerm) std::signal(SIGTERM, SIG_IGN);
      for (;;) pause();
    }
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
