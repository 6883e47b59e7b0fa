// Driver subprocesses: ten entries at most, the same executable once, standard error to the log,
// XML declarations of driver output ignored, snooping requests served.
#include "ServerFixture.h"

#include <kestor.h>

#include <filesystem>
#include <fstream>

namespace {

std::string script(const std::string &folder, const std::string &name, const std::string &body) {
  const std::string path = folder + "/" + name;
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

}  // namespace

TEST_F(ServerFixture, AtMostTenSubprocessesRun) {
  std::vector<kestor_subprocess_entry *> running;
  for (int i = 0; i < KESTOR_MAX_SUBPROCESSES; ++i) {
    const std::string path = scratch + "/cat" + std::to_string(i);
    std::filesystem::create_symlink("/bin/cat", path);
    kestor_subprocess_entry *entry = nullptr;
    ASSERT_EQ(kestor_start_subprocess(path.c_str(), &entry), KESTOR_OK) << path;
    EXPECT_EQ(entry, &kestor_available_subprocesses[i]);
    EXPECT_GT(entry->pid, 0);
    running.push_back(entry);
  }
  const std::string extra = scratch + "/cat-extra";
  std::filesystem::create_symlink("/bin/cat", extra);
  kestor_subprocess_entry *entry = nullptr;
  EXPECT_EQ(kestor_start_subprocess(extra.c_str(), &entry), KESTOR_FAILED);
  // A freed entry is taken again.
  EXPECT_EQ(kestor_kill_subprocess(running[3]), KESTOR_OK);
  EXPECT_FALSE(started(*running[3]));
  EXPECT_EQ(kestor_start_subprocess(extra.c_str(), &entry), KESTOR_OK);
  EXPECT_EQ(entry, running[3]);
}

TEST_F(ServerFixture, AMissingExecutableFailsToStart) {
  kestor_subprocess_entry *entry = nullptr;
  EXPECT_EQ(kestor_start_subprocess((scratch + "/none").c_str(), &entry), KESTOR_FAILED);
  EXPECT_EQ(kestor_start_subprocess(nullptr, &entry), KESTOR_INVALID);
  for (const auto &e : kestor_available_subprocesses) {
    EXPECT_FALSE(started(e));
  }
}

TEST_F(ServerFixture, DriverErrorLinesAndDeclarationsAreHandled) {
  const std::string path = script(scratch, "chatty",
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

TEST_F(ServerFixture, ADriverIgnoringEndOfInputIsTerminated) {
  const std::string path = script(scratch, "stubborn", "trap '' HUP\nwhile true; do sleep 0.05; done");
  kestor_subprocess_entry *entry = nullptr;
  ASSERT_EQ(kestor_start_subprocess(path.c_str(), &entry), KESTOR_OK);
  const pid_t pid = entry->pid;
  EXPECT_EQ(kestor_kill_subprocess(entry), KESTOR_OK);
  EXPECT_FALSE(started(*entry));
  EXPECT_NE(kill(pid, 0), 0);
}

TEST_F(ServerFixture, SnoopingDriversGetTheDeviceTheyAskedFor) {
  kestor_driver_entry *library = nullptr;
  const kestor_result loaded = kestor_load_driver("test_simulator", true, &library);
  ASSERT_TRUE(loaded == KESTOR_OK || loaded == KESTOR_ALREADY);
  ASSERT_TRUE(eventually([&] { return contains(getprop("Test Simulator.TEST_VALUE.VALUE"), "VALUE="); }));
  // The snooper writes whatever it is sent to its standard error, which goes to the log.
  const std::string path = script(scratch, "snooper", "printf \"<getProperties version='1.7' device='Test Simulator'/>\"\nexec cat >&2");
  kestor_subprocess_entry *entry = nullptr;
  ASSERT_EQ(kestor_start_subprocess(path.c_str(), &entry), KESTOR_OK);
  EXPECT_TRUE(client->waitForLog("snooper: <defNumberVector device=\"Test Simulator\" name=\"TEST_VALUE\""));
  EXPECT_EQ(setprop("Test Simulator.TEST_VALUE.VALUE=5"), 0);
  EXPECT_TRUE(client->waitForLog("snooper: <setNumberVector device=\"Test Simulator\" name=\"TEST_VALUE\"")) << logText();
}
