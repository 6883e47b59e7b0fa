// Connections over loopback against a scripted server: what the library sends, how a connection
// ends, and that stopping and disconnecting never wait for a thread stuck in a callback.
#include "CommaLocale.h"
#include "RecordingClient.h"

#include "support/FreePort.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>

using test_support::ScriptedServer;

namespace {

const char DEFS[] =
    "<defSwitchVector device=\"Cam\" name=\"CONNECTION\" perm=\"rw\" rule=\"OneOfMany\" state=\"Idle\">"
    "<defSwitch name=\"CONNECT\">Off</defSwitch><defSwitch name=\"DISCONNECT\">On</defSwitch></defSwitchVector>\n"
    "<defTextVector device=\"Cam\" name=\"FITS_HEADER\" perm=\"rw\" state=\"Idle\">"
    "<defText name=\"FITS_OBJECT\"></defText></defTextVector>\n"
    "<defNumberVector device=\"Scope\" name=\"GEOGRAPHIC_COORD\" perm=\"rw\" state=\"Idle\">"
    "<defNumber name=\"LAT\" format=\"%g\" min=\"-90\" max=\"90\" step=\"0\">0</defNumber>"
    "<defNumber name=\"LONG\" format=\"%g\" min=\"0\" max=\"360\" step=\"0\">0</defNumber></defNumberVector>\n"
    "<defBLOBVector device=\"Cam\" name=\"CCD1\" perm=\"ro\" state=\"Idle\"><defBLOB name=\"CCD1\"/></defBLOBVector>\n";

class KestorConnection : public ::testing::Test {
protected:
  RecordingClient recorder;
  ScriptedServer server;
  kestor_server_entry *entry = nullptr;

  void SetUp() override { kestor_set_log_level(KESTOR_LOG_INFO); }

  void connectAndDefine() {
    ASSERT_EQ(kestor_connect_server("scripted", "127.0.0.1", server.port(), &entry), KESTOR_OK);
    ASSERT_TRUE(server.waitForClient());
    ASSERT_TRUE(server.send(DEFS));
    ASSERT_FALSE(recorder.waitFor("define", "Cam", "CCD1").kind.empty());
  }

  // Connects, and holds the library's thread in the first update's callback until `release` is kept.
  std::promise<void> release;
  void holdFirstUpdate() {
    std::shared_future<void> released = release.get_future().share();
    auto blocked = std::make_shared<std::atomic<bool>>(false);
    recorder.onEvent = [blocked, released](const Event &e) {
      if (e.kind == "update" && !blocked->exchange(true)) released.wait();
    };
    connectAndDefine();
    ASSERT_TRUE(server.send("<setSwitchVector device=\"Cam\" name=\"CONNECTION\" state=\"Ok\"/>\n"));
    while (!*blocked) std::this_thread::yield();
  }

  kestor_result connectCam(const char *device = "Cam") {
    char item[128] = "CONNECTED";
    char *items[] = {item};
    bool on = true;
    return kestor_change_switch_property(recorder.client(), device, "CONNECTION", 1, items, &on);
  }
};

}  // namespace

TEST_F(KestorConnection, ConnectFillsTheEntryAndAsksForProperties) {
  EXPECT_EQ(recorder.events().front().kind, "attach");  // called inside kestor_attach_client
  ASSERT_EQ(kestor_connect_server("scripted", "127.0.0.1", server.port(), &entry), KESTOR_OK);
  EXPECT_EQ(std::string(entry->name) + " " + entry->host + ":" + std::to_string(entry->port),
            "scripted 127.0.0.1:" + std::to_string(server.port()));
  EXPECT_TRUE(entry->thread_started);
  EXPECT_TRUE(server.waitForReceived("<getProperties version=\"1.7\"/>"));
  EXPECT_TRUE(recorder.waitForLog("Connected to 127.0.0.1:"));
  kestor_server_entry *unnamed = nullptr;
  ASSERT_EQ(kestor_connect_server(nullptr, "127.0.0.1", server.port(), &unnamed), KESTOR_OK);
  EXPECT_EQ(std::string(unnamed->name), "127.0.0.1:" + std::to_string(server.port()));

  kestor_server_entry *none = nullptr;
  EXPECT_NE(kestor_connect_server(nullptr, "127.0.0.1", test_support::freeLoopbackPort(), &none), KESTOR_OK);
  EXPECT_NE(kestor_connect_server(nullptr, nullptr, 7624, &none), KESTOR_OK);
  EXPECT_NE(kestor_connect_server(nullptr, "127.0.0.1", 0, &none), KESTOR_OK);
  EXPECT_NE(kestor_connect_server(nullptr, "127.0.0.1", 70000, &none), KESTOR_OK);
  EXPECT_EQ(none, nullptr);
  EXPECT_TRUE(recorder.waitForLog("Failed to connect to 127.0.0.1:"));
}

TEST_F(KestorConnection, ChangesGoToTheServerWithItsOwnNames) {
  const bool comma = useCommaLocale();  // before any library thread runs: setlocale is not thread-safe
  connectAndDefine();

  EXPECT_EQ(connectCam(), KESTOR_OK);
  EXPECT_TRUE(
      server.waitForReceived("<newSwitchVector device=\"Cam\" name=\"CONNECTION\">\n"
                             "  <oneSwitch name=\"CONNECT\">On</oneSwitch>\n</newSwitchVector>\n"));

  char lat[128] = "LATITUDE", lon[128] = "LONGITUDE";
  char *numberItems[] = {lat, lon};
  double values[] = {51.4769, -0.0005};
  EXPECT_EQ(kestor_change_number_property(recorder.client(), "Scope", "GEOGRAPHIC_COORDINATES", 2, numberItems, values),
            KESTOR_OK);
  EXPECT_TRUE(
      server.waitForReceived("<newNumberVector device=\"Scope\" name=\"GEOGRAPHIC_COORD\">\n"
                             "  <oneNumber name=\"LAT\">51.4769</oneNumber>\n"
                             "  <oneNumber name=\"LONG\">-0.0005</oneNumber>\n</newNumberVector>\n"));

  char object[128] = "FITS_OBJECT";
  char text[512] = "M42 <&> \"Orion\"";
  char *textItems[] = {object};
  char *textValues[] = {text};
  EXPECT_EQ(kestor_change_text_property(recorder.client(), "Cam", "FITS_HEADER", 1, textItems, textValues), KESTOR_OK);
  EXPECT_TRUE(server.waitForReceived("<oneText name=\"FITS_OBJECT\">M42 &lt;&amp;&gt; &quot;Orion&quot;</oneText>"));
  EXPECT_EQ(kestor_change_text_property(recorder.client(), "Cam", "FITS_HEADER", 0, nullptr, nullptr), KESTOR_OK);
  EXPECT_TRUE(server.waitForReceived("<newTextVector device=\"Cam\" name=\"FITS_HEADER\">\n</newTextVector>"))
      << server.received();
  useCLocale();
  EXPECT_TRUE(comma) << "the numbers were not sent under a decimal-comma locale";

  EXPECT_EQ(connectCam("Nobody"), KESTOR_NOT_FOUND);  // a device that no connection serves
  bool on = true;
  EXPECT_EQ(kestor_change_switch_property(recorder.client(), "Cam", "CONNECTION", 1, nullptr, &on), KESTOR_INVALID);
}

TEST_F(KestorConnection, BlobModesAndEnumeration) {
  connectAndDefine();
  kestor_property *blob = recorder.waitFor("define", "Cam", "CCD1").record;
  EXPECT_EQ(kestor_enable_blob(recorder.client(), blob, KESTOR_BLOB_NEVER), KESTOR_OK);
  EXPECT_TRUE(server.waitForReceived("<enableBLOB device=\"Cam\" name=\"CCD1\">Never</enableBLOB>"));
  EXPECT_EQ(kestor_enable_blob(recorder.client(), blob, KESTOR_BLOB_ALSO), KESTOR_OK);
  EXPECT_EQ(kestor_enable_blob(recorder.client(), blob, KESTOR_BLOB_URL), KESTOR_OK);
  EXPECT_TRUE(
      server.waitForReceived("<enableBLOB device=\"Cam\" name=\"CCD1\">Also</enableBLOB>\n"
                             "<enableBLOB device=\"Cam\" name=\"CCD1\">Also</enableBLOB>"));

  EXPECT_EQ(kestor_enumerate_properties(recorder.client(), &KESTOR_ALL_PROPERTIES), KESTOR_OK);
  EXPECT_TRUE(server.waitForReceived("Also</enableBLOB>\n<getProperties version=\"1.7\"/>\n"));
  kestor_property *site = recorder.waitFor("define", "Scope", "GEOGRAPHIC_COORDINATES").record;
  EXPECT_EQ(kestor_enumerate_properties(recorder.client(), site), KESTOR_OK);
  EXPECT_TRUE(server.waitForReceived("<getProperties version=\"1.7\" device=\"Scope\" name=\"GEOGRAPHIC_COORD\"/>"));
}

TEST_F(KestorConnection, LogLinesFollowTheLevelAndDisconnectDeletesTheDevices) {
  kestor_set_log_level(KESTOR_LOG_ERROR);
  connectAndDefine();
  EXPECT_EQ(recorder.logged("Connected to") + recorder.logged("Received <"), 0u);
  kestor_set_log_level(KESTOR_LOG_DEBUG);
  ASSERT_TRUE(
      server.send("<setSwitchVector device=\"Cam\" name=\"CONNECTION\" state=\"Ok\"/>\n<pingRequest uid=\"p1\"/>\n"));
  EXPECT_TRUE(recorder.waitForLog("Received <setSwitchVector device=\"Cam\" name=\"CONNECTION\"> from 127.0.0.1:"));
  EXPECT_TRUE(server.waitForReceived("<pingReply uid=\"p1\"/>"));
  connectCam();
  EXPECT_TRUE(recorder.waitForLog("Sending to 127.0.0.1:"));

  EXPECT_EQ(kestor_disconnect_server(entry), KESTOR_OK);
  for (const char *device : {"Cam", "Scope"}) EXPECT_EQ(recorder.waitFor("delete", device, "").property, "") << device;
  EXPECT_TRUE(recorder.waitForLog("ended: disconnected"));
  EXPECT_EQ(connectCam(), KESTOR_NOT_FOUND);
  EXPECT_TRUE(server.waitForClientClosed());
  EXPECT_EQ(kestor_disconnect_server(entry), KESTOR_NOT_FOUND);
}

// One server reached twice: the second connection takes the devices over when the first ends.
TEST_F(KestorConnection, AnotherConnectionTakesOverTheDevices) {
  connectAndDefine();
  ScriptedServer twin;
  kestor_server_entry *second = nullptr;
  ASSERT_EQ(kestor_connect_server(nullptr, "127.0.0.1", twin.port(), &second), KESTOR_OK);
  ASSERT_TRUE(twin.waitForClient());
  ASSERT_TRUE(twin.send(std::string(DEFS) + "<message message=\"twin done\"/>\n"));
  ASSERT_FALSE(recorder.waitFor([](const Event &e) { return e.message == "twin done"; }).kind.empty());
  EXPECT_TRUE(recorder.waitForLog("belongs to another connection"));
  EXPECT_EQ(recorder.events("define", "Cam", "CCD1").size(), 1u);

  server.closeClient();
  EXPECT_FALSE(recorder.waitFor("delete", "Cam", "").kind.empty());
  EXPECT_TRUE(twin.waitForReceived("<getProperties version=\"1.7\" device=\"Cam\"/>"));
  ASSERT_TRUE(twin.send(DEFS));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (recorder.events("define", "Cam", "CCD1").size() < 2 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(recorder.events("define", "Cam", "CCD1").size(), 2u);
}

// Each class of bad input either skips the element or closes the connection; nothing crashes.
TEST_F(KestorConnection, UnreadableInputClosesTheConnection) {
  for (const std::string &input : {std::string("<defTextVector device=\"a\"><</defTextVector>"),
                                   std::string(1 << 20, 'x')}) {  // a peer that sends forever without an element
    ScriptedServer bad;
    kestor_server_entry *e = nullptr;
    ASSERT_EQ(kestor_connect_server(nullptr, "127.0.0.1", bad.port(), &e), KESTOR_OK);
    ASSERT_TRUE(bad.waitForClient());
    ASSERT_TRUE(bad.send(DEFS));
    ASSERT_FALSE(recorder.waitFor("define", "Cam", "CCD1").kind.empty());
    bad.send(input);
    EXPECT_TRUE(bad.waitForClientClosed()) << input.substr(0, 40);
    EXPECT_FALSE(recorder.waitFor("delete", "Cam", "").kind.empty()) << input.substr(0, 40);
    EXPECT_TRUE(recorder.waitForLog("ended:"));
  }
}

TEST_F(KestorConnection, StopNeverWaitsForABlockedCallback) {
  holdFirstUpdate();

  // Neither waits for the blocked callback: it is released only after both return.
  EXPECT_EQ(kestor_disconnect_server(entry), KESTOR_OK);
  kestor_stop();
  EXPECT_FALSE(recorder.events("detach", "").empty());
  const size_t seen = recorder.events().size();
  release.set_value();
  EXPECT_FALSE(recorder.waitFor("update", "Cam", "CONNECTION").kind.empty());  // the one that was blocked
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  // After stop, the connection's end brings no more callbacks.
  EXPECT_EQ(recorder.events().size(), seen + 1);
  EXPECT_TRUE(recorder.events("delete", "Cam").empty());
}

TEST_F(KestorConnection, AStreamOfARunStoppedTellsTheNextRunNothing) {
  holdFirstUpdate();

  // The library is stopped and started again, a new client attached, while the old connection's
  // reader is still in its callback; its end comes after, in the new run.
  EXPECT_EQ(kestor_disconnect_server(entry), KESTOR_OK);
  kestor_stop();
  RecordingClient next;
  release.set_value();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(next.events("delete", "Cam").empty());
  kestor_stop();  // before `next` goes: no callback may reach it later
}
