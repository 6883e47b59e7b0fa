// The in-process server end to end: the stock INDI tools talk to it, with our library driver and
// the telescope simulator as an executable driver; the attached client sees the same devices.
#include "ServerFixture.h"

#include <kestor.h>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>

namespace {

constexpr char TELESCOPE[] = "Telescope Simulator";
constexpr char TEST_DEVICE[] = "Test Simulator";

bool reaped(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD; }

}  // namespace

TEST_F(ServerFixture, PublishesTheRealPortAndReportsClients) {
  EXPECT_GT(port, 0);
  {
    RawClient first(port);
    EXPECT_TRUE(waitForCount(1));
    RawClient second(port);
    EXPECT_TRUE(waitForCount(2));
  }
  EXPECT_TRUE(waitForCount(0));
  kestor_server_tcp_port = port;
  EXPECT_EQ(kestor_server_start(nullptr), KESTOR_ALREADY);
}

TEST_F(ServerFixture, StockToolsAndTheOwnClientReachBothKindsOfDrivers) {
  ASSERT_NO_FATAL_FAILURE(loadTestDriver());
  ASSERT_NE(startTelescope(), nullptr);
  std::string listed;
  EXPECT_TRUE(eventually([&] {
    listed = getprop();
    return contains(listed, "Telescope Simulator.CONNECTION.DISCONNECT=On") &&
           contains(listed, "Test Simulator.TEST_VALUE.VALUE=");
  })) << listed;
  // The application's own client sees the same devices, under the bus's names.
  kestor_enumerate_properties(client->client(), &KESTOR_ALL_PROPERTIES);
  EXPECT_FALSE(client->waitFor("define", TELESCOPE, "CONNECTION").kind.empty());
  EXPECT_FALSE(client->waitFor("define", TELESCOPE, "DRIVER_INFO").kind.empty());
  EXPECT_FALSE(client->waitFor("define", TEST_DEVICE, "TEST_VALUE").kind.empty());

  // Changes reach the driver that owns the device.
  EXPECT_EQ(setprop("Test Simulator.TEST_VALUE.VALUE=7"), 0);
  EXPECT_TRUE(eventually([&] { return contains(getprop("Test Simulator.TEST_VALUE.VALUE"), "VALUE=7"); }));
  EXPECT_EQ(setprop("Telescope Simulator.CONNECTION.CONNECT=On"), 0);
  EXPECT_TRUE(eventually([&] { return contains(getprop("Telescope Simulator.CONNECTION.*"), "CONNECT=On"); }));
  char item[] = "VALUE";
  char *items[] = {item};
  double values[] = {9};
  EXPECT_EQ(kestor_change_number_property(client->client(), TEST_DEVICE, "TEST_VALUE", 1, items, values), KESTOR_OK);
  EXPECT_FALSE(client->waitFor("update", TEST_DEVICE, "TEST_VALUE").kind.empty());
  EXPECT_TRUE(eventually([&] { return contains(getprop("Test Simulator.TEST_VALUE.VALUE"), "VALUE=9"); }));
}

TEST_F(ServerFixture, BlobsGoOnlyToClientsThatEnabledThem) {
  ASSERT_NO_FATAL_FAILURE(loadTestDriver());
  RawClient enabled(port), plain(port), only(port);
  for (RawClient *c : {&enabled, &plain, &only}) {
    c->send("<getProperties version=\"1.7\"/>\n");
    EXPECT_TRUE(contains(c->readUntil("TEST_BLOB"), "defBLOBVector"));
  }
  enabled.send("<enableBLOB device=\"Test Simulator\">Also</enableBLOB>\n");
  only.send(
      "<enableBLOB device=\"Test Simulator\" name=\"TEST_BLOB\">Also</enableBLOB>\n"
      "<enableBLOB device=\"Test Simulator\">Only</enableBLOB>\n");
  // The pings make sure the modes are in place before the BLOB is sent.
  for (RawClient *c : {&enabled, &only}) {
    c->send("<pingRequest uid=\"p1\"/>\n");
    EXPECT_TRUE(contains(c->readUntil("pingReply"), "uid=\"p1\""));
  }
  plain.send(
      "<newSwitchVector device=\"Test Simulator\" name=\"SEND_BLOB\"><oneSwitch "
      "name=\"SEND\">On</oneSwitch></newSwitchVector>\n");

  EXPECT_TRUE(contains(enabled.readUntil("aGVsbG8="), "<setBLOBVector"));
  EXPECT_TRUE(contains(enabled.readUntil("name=\"SEND_BLOB\" state=\"Ok\""), "<setSwitchVector"));
  const std::string seen = plain.readUntil("<setSwitchVector device=\"Test Simulator\" name=\"SEND_BLOB\"");
  EXPECT_TRUE(contains(seen, "<setSwitchVector")) << seen;
  EXPECT_FALSE(contains(seen, "setBLOBVector")) << seen;
  // "Only": the BLOB arrives, the device's other traffic does not.
  const std::string onlySeen = only.readUntil("aGVsbG8=");
  EXPECT_TRUE(contains(onlySeen, "<setBLOBVector")) << onlySeen;
  only.send("<pingRequest uid=\"p2\"/>\n");
  EXPECT_FALSE(contains(only.readUntil("uid=\"p2\""), "<setSwitchVector"));
}

TEST_F(ServerFixture, ADriverEndsKilledOrByItself) {
  kestor_subprocess_entry *entry = startTelescope(), *again = nullptr;
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(kestor_start_subprocess("/usr/bin/indi_simulator_telescope", &again), KESTOR_ALREADY);
  EXPECT_EQ(again, entry);
  ASSERT_FALSE(client->waitFor("define", TELESCOPE, "CONNECTION").kind.empty());
  ASSERT_TRUE(eventually([&] { return contains(getprop(), TELESCOPE); }));
  pid_t pid = entry->pid;
  kill(pid, SIGKILL);
  EXPECT_FALSE(client->waitFor("delete", TELESCOPE, "").kind.empty());
  EXPECT_TRUE(eventually([&] { return !started(*entry); }));
  EXPECT_TRUE(reaped(pid));
  EXPECT_STREQ(entry->last_error, "ended");
  EXPECT_FALSE(contains(getprop(), TELESCOPE));

  ASSERT_EQ(startTelescope(), entry);
  pid = entry->pid;
  ASSERT_TRUE(eventually([&] { return client->events("define", TELESCOPE, "CONNECTION").size() == 2; }));
  EXPECT_EQ(kestor_kill_subprocess(entry), KESTOR_OK);
  EXPECT_FALSE(started(*entry));
  EXPECT_TRUE(reaped(pid));
  EXPECT_TRUE(eventually([&] { return client->events("delete", TELESCOPE, "").size() == 2; }));
}

TEST_F(ServerFixture, ShutDownReapsEveryChild) {
  kestor_subprocess_entry *entry = startTelescope();
  ASSERT_NE(entry, nullptr);
  const pid_t pid = entry->pid;
  ASSERT_FALSE(client->waitFor("define", TELESCOPE, "CONNECTION").kind.empty());
  RawClient remote(port);
  remote.send("<getProperties version=\"1.7\"/>\n");
  remote.readUntil(TELESCOPE);
  client.reset();  // kestor_stop: the server stops and its clients are let go
  EXPECT_TRUE(contains(remote.readUntil(), TELESCOPE));
  for (auto &e : kestor_available_subprocesses) {  // a driver may have ended with the server's end
    if (started(e)) {
      EXPECT_EQ(kestor_kill_subprocess(&e), KESTOR_OK);
    }
  }
  EXPECT_TRUE(reaped(pid));
}

// A loaded driver stays across kestor_stop and kestor_start: the client of the next run hears it
// too, and has enabled no BLOB of it yet.
TEST_F(ServerFixture, TheAttachedClientGetsBlobsOnlyWhereItEnabledThem) {
  ASSERT_NO_FATAL_FAILURE(loadTestDriver());
  for (const int run : {1, 2}) {
    SCOPED_TRACE("run " + std::to_string(run));
    if (run == 2) {
      client.reset();  // kestor_stop
      client = std::make_unique<RecordingClient>();
    }
    kestor_enumerate_properties(client->client(), &KESTOR_ALL_PROPERTIES);
    const Event blob = client->waitFor("define", TEST_DEVICE, "TEST_BLOB");
    ASSERT_EQ(blob.kind, "define");
    char item[] = "SEND";
    char *items[] = {item};
    bool on[] = {true};
    ASSERT_EQ(kestor_change_switch_property(client->client(), TEST_DEVICE, "SEND_BLOB", 1, items, on), KESTOR_OK);
    // The driver sends the BLOB before it switches SEND_BLOB back off.
    EXPECT_FALSE(client->waitFor("update", TEST_DEVICE, "SEND_BLOB").kind.empty());
    EXPECT_TRUE(client->events("update", TEST_DEVICE, "TEST_BLOB").empty());

    EXPECT_EQ(kestor_enable_blob(client->client(), blob.record, KESTOR_BLOB_URL), KESTOR_OK);
    ASSERT_EQ(kestor_change_switch_property(client->client(), TEST_DEVICE, "SEND_BLOB", 1, items, on), KESTOR_OK);
    EXPECT_FALSE(client->waitFor("update", TEST_DEVICE, "TEST_BLOB").kind.empty());
  }
}

// Resources registered with the server are served as copies over HTTP on the bus port.
TEST_F(ServerFixture, ServesACopyOfEachResource) {
  std::string json = "{\"a\":1}";
  ASSERT_EQ(kestor_server_add_resource("/data/test.json", json.data(), json.size(), "application/json; charset=utf-8"),
            KESTOR_OK);
  json[5] = '2';  // the server keeps its own copy
  const unsigned char gzip[] = {0x1f, 0x8b, 8, 0};
  ASSERT_EQ(kestor_server_add_resource("/data/test.gz", gzip, sizeof gzip, "application/json"), KESTOR_OK);
  const char *bad[][2] = {{nullptr, "text/plain"}, {"relative", "text/plain"}, {"/x", "text/plain\r\nX-Evil: 1"}};
  for (const auto &[path, type] : bad) EXPECT_EQ(kestor_server_add_resource(path, "x", 1, type), KESTOR_INVALID);
  EXPECT_EQ(kestor_server_add_resource("/x", nullptr, 1, "text/plain"), KESTOR_INVALID);

  RawClient get(port), zipped(port), missing(port);
  get.send("GET /data/test.json HTTP/1.1\r\nHost: localhost\r\n\r\n");
  EXPECT_EQ(get.readUntil(),
            "HTTP/1.0 200 OK\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: 7\r\n"
            "Connection: close\r\n\r\n{\"a\":1}");
  zipped.send("GET /data/test.gz?x=1 HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(contains(zipped.readUntil(), "Content-Encoding: gzip\r\n"));
  missing.send("GET /data/none.json HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(contains(missing.readUntil(), "404 Not Found"));
}
